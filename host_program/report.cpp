#include "report.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "text_list.h"

namespace {

std::string quoted_csv(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string number(double value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

// The shortest text that reads back as the same double: CSV carries every
// bit, so two builds' runs compare byte for byte.
std::string exact_number(double value) {
  char text[32];
  auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc{} ? std::string(text, end) : number(value, 17);
}

// Steps and times keep every digit: a step count up to 2^31 and the time
// of a step need up to 15.
constexpr int kCountDigits = 15;

std::string padded(const std::string& text, int width) {
  int missing = width - static_cast<int>(text.size());
  return missing > 0 ? std::string(static_cast<std::size_t>(missing), ' ') + text : text;
}

}  // namespace

void Report::json_add(const char* list, nlohmann::ordered_json item) {
  nlohmann::ordered_json& into = rows_open_ ? tail_ : document_;
  if (!into.contains(list)) into[list] = nlohmann::ordered_json::array();
  into[list].push_back(std::move(item));
}

void Report::note(const std::string& text) {
  if (format_ == Format::Json) return json_add("notes", text);
  std::fprintf(out_, format_ == Format::Csv ? "# %s\n" : "%s\n", escaped(text).c_str());
}

void Report::case_title(const std::string& title) {
  if (format_ == Format::Json) {
    document_["case"] = title;
  } else if (!title.empty()) {
    note("case: " + title);
  }
}

void Report::catalogue(const TagCatalogue* catalogue) {
  if (format_ != Format::Json) {
    note(catalogue != nullptr ? "catalogue: " + catalogue_summary_text(*catalogue)
                              : std::string("catalogue: the emulator offers no tags"));
    return;
  }
  if (catalogue == nullptr) {
    document_["catalogue"] = nullptr;
    return;
  }
  document_["catalogue"] = table_counts(*catalogue);
}

void Report::init_warning(const InitCheck& check, const InitWarning& warning) {
  if (format_ == Format::Json) return json_add("init_warnings", warning_json(check, warning));
  note("initialization string: " + init_warning_text(check, warning));
}

void Report::driver_box(const std::string& caption, const std::string& text) {
  if (format_ == Format::Json)
    return json_add("driver_messages", {{"caption", caption}, {"text", text}});
  for (const std::string& line : describe_box(caption, text)) note(line);
}

void Report::driver_error_key(const std::string& key) {
  if (format_ == Format::Json) return json_add("driver_error_keys", key);
  note("driver error key: " + key);
}

nlohmann::ordered_json binding_json(const BindingNote& item) {
  nlohmann::ordered_json entry = {{"item", item.controller ? "controller" : "process variable"},
                                  {"name", item.name},
                                  {"tag", item.tag},
                                  {"ds", item.ds},
                                  {"active", item.active},
                                  {"bound", item.table != nullptr}};
  if (item.table != nullptr) {
    entry["code"] = item.code;
    entry["table"] = item.table;
    entry["index"] = item.index;
    return entry;
  }
  entry["reason"] = item.reason;
  nlohmann::ordered_json suggestions = nlohmann::ordered_json::array();
  for (const SuggestionNote& each : item.suggestions) {
    suggestions.push_back(
        {{"tag", each.tag}, {"table", each.table}, {"index", each.index}, {"ds", each.ds}});
  }
  entry["suggestions"] = suggestions;
  return entry;
}

void Report::binding(const BindingNote& item) {
  if (format_ == Format::Json) return json_add("bindings", binding_json(item));
  note(std::string(item.controller ? "controller '" : "process variable '") + item.name + "' " +
       item.line);
}

void Report::rule_warning(const std::string& text) {
  if (format_ == Format::Json) return json_add("rule_warnings", text);
  note(text);
}

void Report::columns(const std::vector<Column>& columns) {
  columns_ = columns;
  if (format_ == Format::Json) {
    nlohmann::ordered_json names = nlohmann::ordered_json::array();
    for (const Column& column : columns) {
      names.push_back({{"name", column.name},
                       {"kind", column.reading ? "reading" : (column.count ? "count" : "value")}});
    }
    document_["columns"] = names;
    std::string head = document_.dump();
    head.pop_back();  // the closing brace: the rows follow
    std::fprintf(out_, "%s,\"rows\":[", head.c_str());
    rows_open_ = true;
    return;
  }
  if (format_ == Format::Table)
    note("[x]: a controller's read failed (OutValid 0); -: nothing crossed");
  widths_.clear();
  std::string line;
  for (const Column& column : columns) {
    if (format_ == Format::Csv) {
      add_to_list(line, quoted_csv(column.name), ",");
      if (column.reading) add_to_list(line, quoted_csv(column.name + " ok"), ",");
    } else {
      std::string name = escaped(column.name);
      widths_.push_back(std::max(static_cast<int>(name.size()), 9));
      add_to_list(line, padded(name, widths_.back()), "  ");
    }
  }
  std::fprintf(out_, "%s\n", line.c_str());
}

void Report::row(const std::vector<Cell>& cells) {
  if (format_ == Format::Json) {
    nlohmann::ordered_json values = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < cells.size() && i < columns_.size(); ++i) {
      nlohmann::ordered_json value =
          cells[i].value ? nlohmann::ordered_json(*cells[i].value) : nullptr;
      if (columns_[i].count && cells[i].value &&
          *cells[i].value == static_cast<double>(static_cast<long long>(*cells[i].value))) {
        value = static_cast<long long>(*cells[i].value);
      }
      if (columns_[i].reading) value = {{"value", value}, {"ok", cells[i].valid}};
      if (columns_[i].inactive) value = nullptr;
      values.push_back(value);
    }
    std::fprintf(out_, "%s\n%s", first_row_ ? "" : ",", values.dump().c_str());
    first_row_ = false;
    return;
  }
  std::string line;
  for (std::size_t i = 0; i < cells.size() && i < columns_.size(); ++i) {
    const Cell& cell = cells[i];
    const Column& column = columns_[i];
    if (format_ == Format::Csv) {
      std::string value;
      if (cell.value && !column.inactive) {
        value = column.count ? number(*cell.value, kCountDigits) : exact_number(*cell.value);
      }
      add_to_list(line, value, ",");
      if (column.reading) add_to_list(line, column.inactive ? "" : (cell.valid ? "1" : "0"), ",");
    } else {
      std::string value = cell.value ? number(*cell.value, column.count ? kCountDigits : 4) : "-";
      if (!cell.valid) value = "[" + value + "]";
      if (column.inactive) value = "inactive";
      add_to_list(line, padded(value, widths_[i]), "  ");
    }
  }
  std::fprintf(out_, "%s\n", line.c_str());
}

void Report::finish(int status) {
  if (format_ != Format::Json) return;
  if (!rows_open_) {
    document_["exit_status"] = status;
    std::fprintf(out_, "%s\n", document_.dump().c_str());
    return;
  }
  std::fprintf(out_, "\n]");
  for (const auto& [key, value] : tail_.items()) {
    std::fprintf(out_, ",%s:%s", nlohmann::ordered_json(key).dump().c_str(), value.dump().c_str());
  }
  std::fprintf(out_, ",\"exit_status\":%d}\n", status);
}

nlohmann::ordered_json table_counts(const TagCatalogue& catalogue) {
  nlohmann::ordered_json counts = nlohmann::ordered_json::object();
  for_each_kind(catalogue,
                [&](const auto& table, int kind) { counts[TAG_KINDS[kind].Name] = table.Count; });
  return counts;
}

nlohmann::ordered_json warning_json(const InitCheck& check, const InitWarning& warning) {
  nlohmann::ordered_json section = nullptr;
  if (warning.Section >= 0) section = init_section_name(warning.Section);
  return {{"code", init_warning_code(warning.Kind)},
          {"severity", init_warning_unusable(warning.Kind) ? "unusable" : "warning"},
          {"line", warning.Line > 0 ? nlohmann::ordered_json(warning.Line) : nullptr},
          {"section", section},
          {"message", init_warning_text(check, warning)}};
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
