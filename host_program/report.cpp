#include "report.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/binding.h"
#include "catalogue/tag_name.h"
#include "text_list.h"

namespace {

std::string quoted_csv(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string number(double value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

struct Sighting {
  const char* table;
  std::int32_t id;
};

template <typename Entry>
void sightings_in(const TagTable<Entry>& table, const char* name, const std::string& tag,
                  std::vector<Sighting>& found) {
  for (std::int32_t i = 0; i < table.Count; ++i) {
    if (same_tag_name(tag.c_str(), table.Entries[i].Name))
      found.push_back({name, table.Entries[i].Id});
  }
}

}  // namespace

void Report::note(const std::string& text) {
  std::fprintf(out_, csv_ ? "# %s\n" : "%s\n", text.c_str());
}

void Report::columns(const std::vector<Column>& columns) {
  if (!csv_) note("[x]: a controller's read failed (OutValid 0); -: nothing crossed");
  columns_ = columns;
  widths_.clear();
  std::string line;
  for (const Column& column : columns) {
    if (csv_) {
      add_to_list(line, quoted_csv(column.name), ",");
      if (column.reading) add_to_list(line, quoted_csv(column.name + " ok"), ",");
    } else {
      widths_.push_back(std::max(static_cast<int>(column.name.size()), 9));
      char cell[128];
      std::snprintf(cell, sizeof cell, "%*s", widths_.back(), column.name.c_str());
      add_to_list(line, cell, "  ");
    }
  }
  std::fprintf(out_, "%s\n", line.c_str());
}

void Report::row(const std::vector<Cell>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size() && i < columns_.size(); ++i) {
    const Cell& cell = cells[i];
    if (csv_) {
      add_to_list(line, cell.value ? number(*cell.value, 6) : "", ",");
      if (columns_[i].reading) add_to_list(line, cell.valid ? "1" : "0", ",");
    } else {
      std::string value = cell.value ? number(*cell.value, 4) : "-";
      if (!cell.valid) value = "[" + value + "]";
      char text[128];
      std::snprintf(text, sizeof text, "%*s", widths_[i], value.c_str());
      add_to_list(line, text, "  ");
    }
  }
  std::fprintf(out_, "%s\n", line.c_str());
}

std::string catalogue_summary(const TagCatalogue& catalogue) {
  return "AI " + std::to_string(catalogue.AI.Count) + ", AO " + std::to_string(catalogue.AO.Count) +
         ", DI " + std::to_string(catalogue.DI.Count) + ", DO " +
         std::to_string(catalogue.DO.Count) + ", DCD " + std::to_string(catalogue.DCD.Count) +
         ", CALC " + std::to_string(catalogue.CALC.Count);
}

const char* bound_table(bool controller, std::int32_t code) {
  switch (code) {
    case BIND_ANALOG:
      return controller ? "AO" : "AI";
    case BIND_DISCRETE:
      return controller ? "DO" : "DI";
    case BIND_DCD:
      return "DCD";
    case BIND_CALC:
      return "CALC";
    default:
      return nullptr;
  }
}

std::string unbound_reason(const TagCatalogue& catalogue, bool controller, const std::string& tag,
                           std::int32_t ds) {
  std::vector<Sighting> found;
  sightings_in(catalogue.AI, "AI", tag, found);
  sightings_in(catalogue.AO, "AO", tag, found);
  sightings_in(catalogue.DI, "DI", tag, found);
  sightings_in(catalogue.DO, "DO", tag, found);
  sightings_in(catalogue.DCD, "DCD", tag, found);
  sightings_in(catalogue.CALC, "CALC", tag, found);
  if (found.empty()) return "no tag named \"" + tag + "\"";

  // Where the name stands with the item's data set, split by whether this
  // kind of item can use the table.
  std::string usable;
  std::string unusable;
  std::string other_ds;
  for (const Sighting& s : found) {
    std::string table = s.table;
    bool input_table = table == "AI" || table == "DI";
    bool output_table = table == "AO" || table == "DO";
    if (s.id != ds) {
      add_to_list(other_ds, std::to_string(s.id) + " (" + table + ")");
    } else if ((controller && input_table) || (!controller && output_table)) {
      add_to_list(unusable, table);
    } else {
      add_to_list(usable, table);
    }
  }
  if (!usable.empty()) {
    return "\"" + tag + "\" data set " + std::to_string(ds) + " is in " + usable +
           ", but the driver did not bind it";
  }
  if (unusable.empty()) return "\"" + tag + "\" exists with other data sets only: " + other_ds;
  return "\"" + tag + "\" data set " + std::to_string(ds) + " is only in " + unusable + ", which " +
         (controller ? "controllers do not read (they read AO, DO, DCD and CALC)"
                     : "process variables do not write (they write AI and DI)");
}

std::vector<std::string> describe_box(const std::string& caption, const std::string& text) {
  std::vector<std::string> lines = {"driver message box \"" + caption + "\":"};
  std::size_t start = 0;
  for (std::size_t end = text.find('\n');; end = text.find('\n', start)) {
    lines.push_back("  | " + text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}
