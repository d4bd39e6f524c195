// The plant report's file: named by the environment variable DRAVIK32_REPORT
// and appended to at each report point, opened and closed each time. What is
// written gathers in one fixed buffer and goes to the file whenever the
// buffer fills, and at the close. The C runtime's unbuffered file functions
// allocate nothing; a file that cannot be opened or written is passed over in
// silence.
//
// The report holds facts, one per line, each line ending in a line feed.
// Bytes of the emulator's string and of the host's texts are written escaped
// (see write_report_escaped), so that every line is printable text.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t REPORT_BUFFER_SIZE = 64 * 1024;

struct ReportFile {
  int Descriptor;  // -1: not open, and nothing is written
  std::size_t Used;
  char Buffer[REPORT_BUFFER_SIZE];
};

// Opens the file for appending, creating it when missing; false when the
// variable names no file or the file cannot be opened.
bool open_report_file(ReportFile& file);
bool report_file_open(const ReportFile& file);
void write_report(ReportFile& file, const char* text, std::size_t length);
void write_report_text(ReportFile& file, const char* text);
void write_report_number(ReportFile& file, std::int64_t number);
// Eight upper-case hexadecimal digits.
void write_report_hex(ReportFile& file, std::uint32_t number);
void end_report_line(ReportFile& file);
// Writes what is left and closes the file.
void close_report_file(ReportFile& file);

// How bytes are escaped. Printable ASCII stands as it is, but for the
// backslash, written \\; a carriage return is \r, a tab \t, a zero byte \0,
// every other byte below 0x20, 0x7f and every byte above it \xNN (two
// upper-case digits). A blank that ends a line is \x20, so that no editor or
// mail program can drop it.
enum ReportEscape : std::uint8_t {
  // Text lines: each line feed of the bytes ends the report's line, and the
  // next starts with '|'. The bytes' first line gets its '|' too.
  ESCAPE_TEXT_LINES,
  // One field in double quotes: a line feed is \n and a quote \".
  ESCAPE_QUOTED,
};
void write_report_escaped(ReportFile& file, const char* bytes, std::size_t length,
                          ReportEscape escape);
