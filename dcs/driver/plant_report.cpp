#include "driver/plant_report.h"

#include <cstdlib>
#include <cstring>

#include "catalogue/tag_catalogue.h"
#include "driver/link_steps.h"
#include "emulator/exchange.h"
#include "host/checksum.h"
#include "record/fields.h"
#include "release.h"

namespace {

// The version of what the report's lines say; a reader refuses any other.
constexpr char REPORT_FORMAT_LINE[] = "report-format 1";

void put(ReportFile& file, const char* text) { write_report_text(file, text); }
void put(ReportFile& file, std::int64_t number) { write_report_number(file, number); }

// Texts and numbers; a line of them.
template <typename... Parts>
void put_all(ReportFile& file, Parts... parts) {
  (put(file, parts), ...);
}
template <typename... Parts>
void write_line(ReportFile& file, Parts... parts) {
  put_all(file, parts...);
  end_report_line(file);
}

constexpr const char* LOAD_RESULTS[] = {"read", "too-short", "out-of-memory"};

constexpr const char* REFUSALS[] = {nullptr, "ctrl-text-empty", "pv-text-empty", "no-tags",
                                    "no-catalogue"};

// An item's facts after DCSConfigure: whether it is active, its TAG (quoted,
// or null), DS, the binding code and StructIdx; or that its list has no
// driver fields to read.
template <typename Item>
void write_items(ReportFile& file, const char* kind, const Item* items, std::int32_t count,
                 bool declared) {
  for (std::int32_t i = 0; i < count; ++i) {
    const DCSValue* fields = items[i].Fields;
    if (!declared || fields == nullptr) {
      write_line(file, kind, " ", i, " no-fields");
      continue;
    }
    put_all(file, kind, " ", i, items[i].Active != 0 ? " active " : " inactive ");
    const char* tag = slot_text(fields[SLOT_TAG]);
    if (tag == nullptr) {
      put(file, "null");
    } else {
      put(file, "\"");
      write_report_escaped(file, tag, std::strlen(tag), ESCAPE_QUOTED);
      put(file, "\"");
    }
    write_line(file, " ds ", slot_int(fields[SLOT_DS]), " code ", slot_int(fields[SLOT_TYPE]),
               " index ", slot_int(fields[SLOT_STRUCT_IDX]));
  }
}

// Counts start at a bound configure; memory refused is a fact of its own.
void start_counting(ReportFile& file, ReadFailures& failures, const DCSData* data) {
  std::free(failures.Controllers);
  failures = {};
  if (!report_file_open(file) || data->CtrlCnt <= 0) return;
  auto* counts = static_cast<FailedReads*>(
      std::calloc(static_cast<std::size_t>(data->CtrlCnt), sizeof(FailedReads)));
  if (counts == nullptr) {
    write_line(file, "failed-reads uncounted");
    return;
  }
  failures = {counts, data->CtrlCnt};
}

}  // namespace

bool begin_report(ReportFile& file, const char* entry_point) {
  if (!open_report_file(file)) return false;
  // A load's section names the build, so a report says which driver wrote it.
  if (std::strcmp(entry_point, "DCSLoad") == 0) {
    write_line(file, "== DCSLoad: " DCS_RELEASE_TEXT "\n", REPORT_FORMAT_LINE);
  } else {
    write_line(file, "== ", entry_point);
  }
  return true;
}

void report_load_length(ReportFile& file, std::int32_t length) {
  write_line(file, "length ", length);
}

void report_load_text(ReportFile& file, const char* text, std::int32_t length) {
  auto size = static_cast<std::size_t>(length);
  write_report_escaped(file, text, size, ESCAPE_TEXT_LINES);
  end_report_line(file);
  put(file, "crc32 ");
  write_report_hex(file, crc32_update(0, text, size));
  end_report_line(file);
}

void report_load_end(ReportFile& file, const TagCatalogue& catalogue, const LoadOutcome& outcome) {
  write_line(file, "load ", LOAD_RESULTS[outcome.Result]);
  put(file, "catalogue");
  if (!catalogue_exists(catalogue)) put(file, " none");
  for_each_kind(catalogue, [&file](const auto& table, int kind) {
    if (table.Entries != nullptr) put_all(file, " ", TAG_KINDS[kind].Name, " ", table.Count);
  });
  end_report_line(file);
  close_report_file(file);
}

void report_configure(ReportFile& file, ReadFailures& failures, const DCSData* data,
                      ConfigureResult result) {
  bool on = begin_report(file, "DCSConfigure");
  if (on) {
    write_items(file, "controller", data->Ctrl, data->CtrlCnt, data->CtrlDefCnt >= DRIVER_FIELDS);
    write_items(file, "process-variable", data->PV, data->PVCnt, data->PVDefCnt >= DRIVER_FIELDS);
  }
  if (result == CONFIGURE_BOUND) {
    start_counting(file, failures, data);
    write_line(file, "result 1");
  } else {
    write_line(file, "result 0 ", REFUSALS[result]);
  }
  close_report_file(file);
}

void report_failed_reads(ReportFile& file, ReadFailures& failures) {
  std::int32_t failing = 0;
  for (std::int32_t i = 0; i < failures.Size; ++i) {
    const FailedReads& reads = failures.Controllers[i];
    if (reads.Count == 0) continue;
    ++failing;
    write_line(file, "failed-reads controller ", i, " count ", reads.Count, " last-status ",
               reads.LastStatus);
  }
  if (failures.Controllers == nullptr) {
    write_line(file, "failed-reads uncounted");
  } else if (failing == 0) {
    write_line(file, "failed-reads none");
  }
  close_report_file(file);
  if (failures.Controllers != nullptr) {
    std::memset(failures.Controllers, 0,
                sizeof(FailedReads) * static_cast<std::size_t>(failures.Size));
  }
}

void report_destroy(ReportFile& file, ReadFailures& failures) {
  std::free(failures.Controllers);
  failures = {};
  if (begin_report(file, "DCSDestroy")) close_report_file(file);
}
