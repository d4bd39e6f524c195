#include "diagnostics/plant_report.h"

#include <cstdlib>
#include <cstring>

#include "diagnostics/init_check.h"
#include "diagnostics/report_text.h"
#include "diagnostics/suggestions.h"
#include "host/report_file.h"
#include "record/fields.h"
#include "release.h"

namespace {

// What the report keeps between entry points: the last initialization
// string, for the reasons of unbound items, and the failed-read counts.
struct PlantReport {
  char* InitText;
  std::int32_t InitLength;
  bool LoadOpened;  // the current load's section was begun when the string was seen
  ReadFailures Failures;
};

PlantReport plant_report = {};

constexpr std::size_t LINE_SIZE = 1024;

// One line, control characters written out as the desk tool writes them
// (\n, \r, \t, \xNN), so no text of the case or the string can start a line
// of its own.
void write_line(ReportFile& file, const char* line) {
  for (const char* p = line; *p != '\0'; ++p) {
    auto c = static_cast<unsigned char>(*p);
    if (c >= 0x20 && c != 0x7f) {
      write_report(file, p, 1);
      continue;
    }
    char escape[8];
    MessageText text = message_text(escape, sizeof escape);
    if (c == '\n' || c == '\r' || c == '\t') {
      append_text(text, "\\%c", c == '\n' ? 'n' : (c == '\r' ? 'r' : 't'));
    } else {
      append_text(text, "\\x%02x", c);
    }
    write_report(file, escape, text.Length);
  }
  write_report(file, "\n", 1);
}

// A line assembled with append_text.
template <typename... Arguments>
void write_text(ReportFile& file, const char* format, Arguments... arguments) {
  char buffer[LINE_SIZE];
  MessageText text = message_text(buffer, sizeof buffer);
  append_text(text, format, arguments...);
  write_line(file, buffer);
}

// A load's section names the build, so a report says which driver wrote it.
void write_size(ReportFile& file, std::int32_t length) {
  write_line(file, "== DCSLoad: " DCS_RELEASE_TEXT);
  write_text(file, "initialization string: %d bytes", length);
}

void write_warning(void* context, const InitCheck& check, const InitWarning& warning) {
  char buffer[LINE_SIZE];
  MessageText text = message_text(buffer, sizeof buffer);
  init_warning_line(check, warning, text);
  write_line(*static_cast<ReportFile*>(context), buffer);
}

// A warning the load met without a check of the string.
void write_load_warning(ReportFile& file, std::uint8_t kind, std::int32_t length) {
  InitCheck none = {};
  none.Length = length;
  none.StopToken = -1;
  InitWarning warning = {kind, 0, -1, NO_INIT_SECTION, length, nullptr};
  write_warning(&file, none, warning);
}

// Keeps the string for DCSConfigure's reasons.
void keep_init_text(ReportFile& file, const char* text, std::int32_t length) {
  std::free(plant_report.InitText);
  plant_report.InitLength = length;
  plant_report.InitText = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
  if (plant_report.InitText == nullptr) {
    write_line(file,
               "report: memory for a copy of the string was not obtained; the reasons of unbound "
               "items rest on the catalogue alone");
    return;
  }
  std::memcpy(plant_report.InitText, text, static_cast<std::size_t>(length) + 1);
}

void init_string_seen(const char* text, std::int32_t length) {
  ReportFile file;
  if (!open_report_file(file)) return;
  plant_report.LoadOpened = true;
  write_size(file, length);
  InitCheck check;
  check_init_string(check, text, length);
  char buffer[LINE_SIZE];
  MessageText reading = message_text(buffer, sizeof buffer);
  init_reading_text(check, reading);
  write_text(file, "reading: %s", buffer);
  for_each_init_warning(check, write_warning, &file);
  release_init_check(check);
  keep_init_text(file, text, length);
  close_report_file(file);
}

const char* refusal_text(ConfigureResult result) {
  switch (result) {
    case CONFIGURE_CTRL_TEXT_EMPTY:
      return "a controller's text field is empty (DCSCtrlTagFieldError)";
    case CONFIGURE_PV_TEXT_EMPTY:
      return "a process variable's text field is empty (DCSPVTagFieldError)";
    case CONFIGURE_NO_TAGS:
      return "the emulator offers no tags: its string holds 33 bytes or less";
    default:
      return "no catalogue: the case must be reloaded or recreated";
  }
}

bool has_driver_fields(const DCSValue* fields, bool declared) {
  return declared && fields != nullptr && slot_text(fields[SLOT_TAG]) != nullptr;
}

// The tag of each item the configure left unbound; null for the others.
template <typename Item>
void unbound_tags(const Item* items, std::int32_t count, bool declared, bool controller,
                  const char** tags) {
  for (std::int32_t i = 0; i < count; ++i) {
    const DCSValue* fields = items[i].Fields;
    bool unbound = has_driver_fields(fields, declared) &&
                   bound_table(controller, slot_int(fields[SLOT_TYPE])) == nullptr;
    tags[i] = unbound ? slot_text(fields[SLOT_TAG]) : nullptr;
  }
}

// The tags that resemble each unbound item's, controllers before process
// variables; `tags` holds the items' tags for as long as `found` lives.
// Memory refused leaves the items without suggestions.
void suggest(ReportFile& file, const DCSData* data, const TagCatalogue& catalogue,
             TagSuggestions& found, const char**& tags) {
  found = {};
  std::int32_t controllers = data->CtrlCnt > 0 ? data->CtrlCnt : 0;
  std::int32_t count = controllers + (data->PVCnt > 0 ? data->PVCnt : 0);
  tags = count > 0 ? static_cast<const char**>(
                         std::malloc(sizeof(const char*) * static_cast<std::size_t>(count)))
                   : nullptr;
  if (tags != nullptr) {
    unbound_tags(data->Ctrl, controllers, data->CtrlDefCnt >= DRIVER_FIELDS, true, tags);
    unbound_tags(data->PV, count - controllers, data->PVDefCnt >= DRIVER_FIELDS, false,
                 tags + controllers);
    if (find_suggestions(found, catalogue, tags, count)) return;
  }
  if (count > 0) {
    write_line(file,
               "report: memory for the suggestions of similar tags was not obtained; unbound "
               "items get none");
  }
}

template <typename Item>
void write_items(ReportFile& file, const Item* items, std::int32_t count, bool declared,
                 bool controller, const TagCatalogue& catalogue, const InitCheck* check,
                 const TagSuggestions& suggestions, std::int32_t first) {
  const char* kind = controller ? "controller" : "process variable";
  for (std::int32_t i = 0; i < count; ++i) {
    const DCSValue* fields = items[i].Fields;
    if (!has_driver_fields(fields, declared)) {
      write_text(file, "%s %d: no driver fields", kind, i);
      continue;
    }
    ItemBinding item = {
        controller,           slot_text(fields[SLOT_TAG]), slot_int(fields[SLOT_DS]),
        items[i].Active != 0, slot_int(fields[SLOT_TYPE]), slot_int(fields[SLOT_STRUCT_IDX])};
    char buffer[LINE_SIZE];
    MessageText text = message_text(buffer, sizeof buffer);
    append_text(text, "%s %d ", kind, i);
    item_binding_text(item, catalogue, check, suggestions_for(suggestions, first + i), text);
    write_line(file, buffer);
  }
}

void write_bindings(ReportFile& file, const DCSData* data, const TagCatalogue& catalogue) {
  InitCheck check = {};
  bool checked = plant_report.InitText != nullptr;
  if (checked && !check_init_string(check, plant_report.InitText, plant_report.InitLength)) {
    write_line(file,
               "report: memory for the check of the string was not obtained; the reasons may "
               "be incomplete");
  }
  TagSuggestions suggestions;
  const char** tags;
  suggest(file, data, catalogue, suggestions, tags);
  write_items(file, data->Ctrl, data->CtrlCnt, data->CtrlDefCnt >= DRIVER_FIELDS, true, catalogue,
              checked ? &check : nullptr, suggestions, 0);
  write_items(file, data->PV, data->PVCnt, data->PVDefCnt >= DRIVER_FIELDS, false, catalogue,
              checked ? &check : nullptr, suggestions, data->CtrlCnt > 0 ? data->CtrlCnt : 0);
  release_suggestions(suggestions);
  std::free(tags);
  release_init_check(check);
}

void start_counting(ReportFile& file, const DCSData* data, bool on) {
  std::free(plant_report.Failures.Controllers);
  plant_report.Failures = {};
  if (!on || data->CtrlCnt <= 0) return;
  auto* counts = static_cast<FailedReads*>(
      std::calloc(static_cast<std::size_t>(data->CtrlCnt), sizeof(FailedReads)));
  if (counts == nullptr) {
    write_line(file,
               "report: memory for the failed-read counts was not obtained; failed reads are "
               "not counted");
    return;
  }
  plant_report.Failures = {counts, data->CtrlCnt};
}

}  // namespace

InitStringSeen report_init_string_hook() {
  plant_report.LoadOpened = false;
  return report_requested() ? init_string_seen : nullptr;
}

void report_load(const TagCatalogue& catalogue, const LoadOutcome& outcome) {
  ReportFile file;
  if (!open_report_file(file)) return;
  if (!plant_report.LoadOpened) {
    write_size(file, outcome.Length);
    if (outcome.Result == LOAD_TOO_SHORT) write_load_warning(file, WARN_TOO_SHORT, outcome.Length);
  }
  if (outcome.Result == LOAD_OUT_OF_MEMORY) write_load_warning(file, WARN_OUT_OF_MEMORY, 0);
  if (catalogue_exists(catalogue)) {
    char buffer[LINE_SIZE];
    MessageText summary = message_text(buffer, sizeof buffer);
    catalogue_summary_text(catalogue, summary);
    write_text(file, "catalogue: %s", buffer);
  } else {
    write_line(file, "catalogue: none");
  }
  close_report_file(file);
}

void report_configure(const DCSData* data, const TagCatalogue& catalogue, ConfigureResult result) {
  ReportFile file;
  bool on = open_report_file(file);
  if (on) write_line(file, "== DCSConfigure");
  if (result != CONFIGURE_BOUND) {
    if (on) write_text(file, "result: 0, refused: %s", refusal_text(result));
    close_report_file(file);
    return;
  }
  if (on) write_bindings(file, data, catalogue);
  start_counting(file, data, on);
  if (on) write_line(file, "result: 1, the link is enabled");
  close_report_file(file);
}

ReadFailures* report_read_failures() {
  return plant_report.Failures.Controllers != nullptr ? &plant_report.Failures : nullptr;
}

void report_failed_reads(const char* entry_point) {
  ReadFailures& failures = plant_report.Failures;
  ReportFile file;
  if (open_report_file(file)) {
    write_text(file, "== %s", entry_point);
    std::int32_t failing = 0;
    for (std::int32_t i = 0; i < failures.Size; ++i) {
      const FailedReads& reads = failures.Controllers[i];
      if (reads.Count == 0) continue;
      ++failing;
      char buffer[LINE_SIZE];
      MessageText text = message_text(buffer, sizeof buffer);
      append_text(text, "controller %d: ", i);
      failed_reads_text(reads.Count, reads.LastStatus, text);
      write_line(file, buffer);
    }
    if (failures.Controllers == nullptr) {
      write_line(file, "failed reads: not counted since the last DCSConfigure");
    } else if (failing == 0) {
      write_line(file, "failed reads since the last report: none");
    }
    close_report_file(file);
  }
  if (failures.Controllers != nullptr) {
    std::memset(failures.Controllers, 0,
                sizeof(FailedReads) * static_cast<std::size_t>(failures.Size));
  }
}

void release_report() {
  std::free(plant_report.InitText);
  std::free(plant_report.Failures.Controllers);
  plant_report = {};
}
