// Reads a plant report: the facts the driver appended to the file named by
// DRAVIK32_REPORT, one event per entry point. Each load holds the release of
// the driver that wrote it, the length the emulator reported and the bytes
// received (checked against their length and CRC-32), how the load ended and
// the entries per table; each configure every item's fields and binding and
// the result; each reset or stop the failed reads; each destroy its line.
//
// The report's lines end in a line feed, a carriage return before it taken
// as part of the line's end. A string's bytes stand one line of the string a
// line, each prefixed with '|', escaped: \\ \" \r \t \n \0 and \xNN.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "catalogue/tag_kinds.h"

struct ReportLoad {
  int line;                         // of its "== DCSLoad" line
  std::string release;              // the driver that wrote it
  std::int32_t length;              // as the emulator reported it
  std::optional<std::string> text;  // the bytes received; none when the driver read none
  std::string result;               // "read", "too-short" or "out-of-memory"
  std::optional<std::array<std::int32_t, TAG_TABLES>> tables;  // none: no catalogue
};

struct ReportItem {
  int line;
  bool controller;
  std::int32_t index;
  bool has_fields;  // false: the list carries no driver fields
  bool active;
  std::optional<std::string> tag;  // none: the TAG slot is null
  std::int32_t ds;
  std::int32_t code;
  std::int32_t struct_idx;
};

struct ReportConfigure {
  int line;
  std::vector<ReportItem> items;
  bool counts_refused;  // memory for the failed-read counts was not obtained
  std::int32_t result;  // 1 bound, 0 refused
  std::string refusal;  // the check that refused: "ctrl-text-empty", ...
};

struct ReportFailedReads {
  std::int32_t controller;
  std::int32_t count;
  std::int32_t last_status;
};

struct ReportReads {
  int line;
  std::string entry_point;  // "DCSReset" or "DCSStop"
  std::vector<ReportFailedReads> failed;
  bool counted;  // false: nothing was counted since the last configure
};

struct ReportDestroy {
  int line;
};

using ReportEvent = std::variant<ReportLoad, ReportConfigure, ReportReads, ReportDestroy>;

// Where the report could not be read on, and why.
struct ReportFault {
  int line;
  std::string message;
};

struct PlantReport {
  std::vector<ReportEvent> events;  // every whole event before the fault
  std::optional<ReportFault> fault;
};

// Reads a report's text; what stands before a fault is kept.
PlantReport read_plant_report(std::string_view text);

// True when the text looks like a plant report rather than a case: its first
// line that is not blank starts a driver's section ("== DCS").
bool looks_like_plant_report(std::string_view text);

// The last configure's items, or none.
const ReportConfigure* last_configure(const PlantReport& report);
