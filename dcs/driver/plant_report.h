// The plant report: when the environment variable DRAVIK32_REPORT names a
// file, each entry point appends the facts an integrator needs to replay the
// run on the desk (dravik-host explain): at DCSLoad the release, the length
// the emulator reported, every byte received with its CRC-32, how the load
// ended and the entries per table; at DCSConfigure every item's fields and
// binding after the call, and the result; at DCSReset and DCSStop each
// controller's failed reads since the last report; at DCSDestroy a line.
// The driver works out no reason and no warning. Off, it costs one look at
// the environment per entry point and nothing per item; it never shows a box
// and never changes a result. Its only memory is the file's buffer and the
// failed-read counts.
#pragma once

#include <cstdint>

#include "host/report_file.h"
#include "record/dcs_data.h"

struct TagCatalogue;
struct LoadOutcome;
enum ConfigureResult : std::uint8_t;
struct FailedReads;

// The failed-read counts, by controller, from the DCSConfigure that bound
// the link with the report on.
struct ReadFailures {
  FailedReads* Controllers;  // null: not counted
  std::int32_t Size;
};

// Opens the file and starts the entry point's section ("== DCSLoad" with the
// release); false when the report is off.
bool begin_report(ReportFile& file, const char* entry_point);

// DCSLoad, as the load goes: the reported length; the bytes received,
// before the loader cuts them; how the load ended and the tables after it.
void report_load_length(ReportFile& file, std::int32_t length);
void report_load_text(ReportFile& file, const char* text, std::int32_t length);
void report_load_end(ReportFile& file, const TagCatalogue& catalogue, const LoadOutcome& outcome);

// DCSConfigure: every item, then the result. A bound link starts counting
// failed reads in a block from the host's heap.
void report_configure(ReportFile& file, ReadFailures& failures, const DCSData* data,
                      ConfigureResult result);

// DCSReset and DCSStop: the failed reads since the last report, whose counts
// start again.
void report_failed_reads(ReportFile& file, ReadFailures& failures);

// DCSDestroy: the line, and the counts released.
void report_destroy(ReportFile& file, ReadFailures& failures);
