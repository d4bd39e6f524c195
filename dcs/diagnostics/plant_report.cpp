#include "diagnostics/plant_report.h"

#include <cstdlib>
#include <cstring>

#include "diagnostics/init_check.h"
#include "diagnostics/message_text.h"
#include "diagnostics/report_text.h"
#include "diagnostics/suggestions.h"
#include "host/report_file.h"
#include "record/fields.h"
#include "release.h"

namespace {

// What the report keeps between entry points: the check of the last load,
// with the string as the loader cut it, for the reasons of unbound items;
// and the failed-read counts.
struct PlantReport {
  InitCheck Check;
  LoadObserver Observer;
  ReadFailures Failures;
};

PlantReport plant_report = {};

constexpr std::size_t LINE_SIZE = 1024;

// One line, control characters written out as the desk tool writes them,
// so no text of the case or the string can start a line of its own.
void write_line(ReportFile& file, const char* line) {
  for (const char* p = line; *p != '\0'; ++p) {
    char escape[8];
    MessageText text = message_text(escape, sizeof escape);
    if (append_control_escape(text, static_cast<unsigned char>(*p))) {
      write_report(file, escape, text.Length);
    } else {
      write_report(file, p, 1);
    }
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

// What the load's check found: how far the string was read, and its
// warnings.
void write_check(ReportFile& file, const InitCheck& check) {
  char buffer[LINE_SIZE];
  MessageText reading = message_text(buffer, sizeof buffer);
  init_reading_text(check, reading);
  write_text(file, "reading: %s", buffer);
  for_each_init_warning(check, write_warning, &file);
}

void write_refusal(ReportFile& file, ConfigureResult result) {
  char buffer[LINE_SIZE];
  MessageText text = message_text(buffer, sizeof buffer);
  append_text(text, "result: 0, refused: ");
  switch (result) {
    case CONFIGURE_CTRL_TEXT_EMPTY:
      append_text(text, "a controller's text field is empty (DCSCtrlTagFieldError)");
      break;
    case CONFIGURE_PV_TEXT_EMPTY:
      append_text(text, "a process variable's text field is empty (DCSPVTagFieldError)");
      break;
    case CONFIGURE_NO_TAGS:
      append_text(text, "the emulator offers no tags: its string holds %d bytes or less",
                  EMPTY_INIT_LENGTH);
      break;
    default:
      append_text(text, "no catalogue: the case must be reloaded or recreated");
      break;
  }
  write_line(file, buffer);
}

bool has_driver_fields(const DCSValue* fields, bool declared) {
  return declared && fields != nullptr && slot_text(fields[SLOT_TAG]) != nullptr;
}

// Calls each(index, binding) for every item of a list with the driver's
// fields, none(index) for every other.
template <typename Item, typename Each, typename None>
void for_each_item(const Item* items, std::int32_t count, bool declared, bool controller, Each each,
                   None none) {
  for (std::int32_t i = 0; i < count; ++i) {
    const DCSValue* fields = items[i].Fields;
    if (!has_driver_fields(fields, declared)) {
      none(i);
      continue;
    }
    ItemBinding item = {
        controller,           slot_text(fields[SLOT_TAG]), slot_int(fields[SLOT_DS]),
        items[i].Active != 0, slot_int(fields[SLOT_TYPE]), slot_int(fields[SLOT_STRUCT_IDX])};
    each(i, item);
  }
}

// The same over the controllers, then the process variables; none(kind,
// index).
template <typename Each, typename None>
void for_each_binding(const DCSData* data, Each each, None none) {
  for_each_item(data->Ctrl, data->CtrlCnt, data->CtrlDefCnt >= DRIVER_FIELDS, true, each,
                [&none](std::int32_t i) { none("controller", i); });
  for_each_item(data->PV, data->PVCnt, data->PVDefCnt >= DRIVER_FIELDS, false, each,
                [&none](std::int32_t i) { none("process variable", i); });
}

bool is_unbound(const ItemBinding& item) {
  return bound_table(item.Controller, item.Code) == nullptr;
}

// The lookups for the reasons, over the tags of the unbound items.
void seek_unbound_items(UnboundReasons& reasons, const DCSData* data,
                        const TagCatalogue& catalogue) {
  auto none = [](const char*, std::int32_t) {};
  std::int32_t count = 0;
  for_each_binding(
      data, [&count](std::int32_t, const ItemBinding& item) { count += is_unbound(item); }, none);
  const InitCheck* check = plant_report.Check.Text != nullptr ? &plant_report.Check : nullptr;
  begin_unbound_reasons(reasons, catalogue, check, count);
  for_each_binding(
      data,
      [&reasons](std::int32_t, const ItemBinding& item) {
        if (is_unbound(item)) seek_unbound_tag(reasons, item.Tag);
      },
      none);
  find_unbound_tags(reasons);
}

// An item's place among all, controllers first, as the suggestions count.
std::int32_t item_position(const DCSData* data, const ItemBinding& item, std::int32_t i) {
  return item.Controller ? i : (data->CtrlCnt > 0 ? data->CtrlCnt : 0) + i;
}

// The tags that resemble each unbound item's; `tags` holds the items' tags
// (null for the others) for as long as `found` lives. Memory refused leaves
// the items without suggestions.
void suggest(ReportFile& file, const DCSData* data, const TagCatalogue& catalogue,
             TagSuggestions& found, const char**& tags) {
  found = {};
  std::int32_t count =
      (data->CtrlCnt > 0 ? data->CtrlCnt : 0) + (data->PVCnt > 0 ? data->PVCnt : 0);
  tags = count > 0 ? static_cast<const char**>(
                         std::calloc(static_cast<std::size_t>(count), sizeof(const char*)))
                   : nullptr;
  if (tags != nullptr) {
    for_each_binding(
        data,
        [&](std::int32_t i, const ItemBinding& item) {
          if (is_unbound(item)) tags[item_position(data, item, i)] = item.Tag;
        },
        [](const char*, std::int32_t) {});
    if (find_suggestions(found, catalogue, tags, count)) return;
  }
  if (count > 0) {
    write_line(file,
               "report: memory for the suggestions of similar tags was not obtained; unbound "
               "items get none");
  }
}

void write_bindings(ReportFile& file, const DCSData* data, const TagCatalogue& catalogue) {
  UnboundReasons reasons;
  seek_unbound_items(reasons, data, catalogue);
  if (!reasons.Complete) {
    write_line(file,
               "report: memory for the reasons of unbound items was not obtained; they are "
               "listed without them");
  }
  TagSuggestions suggestions;
  const char** tags;
  suggest(file, data, catalogue, suggestions, tags);
  for_each_binding(
      data,
      [&](std::int32_t i, const ItemBinding& item) {
        char buffer[LINE_SIZE];
        MessageText text = message_text(buffer, sizeof buffer);
        append_text(text, "%s %d ", item.Controller ? "controller" : "process variable", i);
        item_binding_text(item, reasons, suggestions_for(suggestions, item_position(data, item, i)),
                          text);
        write_line(file, buffer);
      },
      [&file](const char* kind, std::int32_t i) {
        write_text(file, "%s %d: no driver fields", kind, i);
      });
  release_suggestions(suggestions);
  std::free(tags);
  release_unbound_reasons(reasons);
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

const LoadObserver* report_load_observer() {
  release_init_check(plant_report.Check);
  // A file that cannot be opened gets no report: the load costs nothing more.
  ReportFile file;
  if (!open_report_file(file)) return nullptr;
  close_report_file(file);
  plant_report.Observer = init_check_observer(plant_report.Check);
  return &plant_report.Observer;
}

void report_load(const TagCatalogue& catalogue, const LoadOutcome& outcome) {
  ReportFile file;
  if (!open_report_file(file)) return;
  write_size(file, outcome.Length);
  if (plant_report.Check.Text != nullptr) {
    write_check(file, plant_report.Check);
  } else if (outcome.Result == LOAD_TOO_SHORT) {
    write_load_warning(file, WARN_TOO_SHORT, outcome.Length);
  } else if (outcome.Result == LOAD_OUT_OF_MEMORY) {
    write_load_warning(file, WARN_OUT_OF_MEMORY, 0);
  }
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
    if (on) write_refusal(file, result);
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
  release_init_check(plant_report.Check);
  std::free(plant_report.Failures.Controllers);
  plant_report = {};
}
