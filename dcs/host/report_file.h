// The plant report's file: named by the environment variable DRAVIK32_REPORT
// and appended to at each report point, opened and closed each time. The
// C runtime's unbuffered file functions allocate nothing; a file that cannot
// be opened or written is passed over in silence.
#pragma once

#include <cstddef>

// Whether the variable names a file: the report is on.
bool report_requested();

// Text gathered into a buffer of its own and appended to the file whenever
// the buffer fills, and at the end.
struct ReportFile {
  int Descriptor;  // -1: not open, and nothing is written
  std::size_t Used;
  char Buffer[2048];
};

// Opens the file for appending, creating it when missing; false when the
// report is off or the file cannot be opened.
bool open_report_file(ReportFile& file);
void write_report(ReportFile& file, const char* text, std::size_t length);
// Writes what is left and closes the file.
void close_report_file(ReportFile& file);
