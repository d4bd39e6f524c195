#include "host/report_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "host/platform.h"

namespace {

constexpr char REPORT_VARIABLE[] = "DRAVIK32_REPORT";
constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

const char* report_path() {
  const char* path = std::getenv(REPORT_VARIABLE);
  return path != nullptr && *path != '\0' ? path : nullptr;
}

// A write that fails closes the file: nothing more is tried until the next
// report point.
void flush(ReportFile& file) {
  std::size_t written = 0;
  while (file.Descriptor >= 0 && written < file.Used) {
    auto count =
        ::write(file.Descriptor, file.Buffer + written, static_cast<unsigned>(file.Used - written));
    if (count <= 0) {
      ::close(file.Descriptor);
      file.Descriptor = -1;
    } else {
      written += static_cast<std::size_t>(count);
    }
  }
  file.Used = 0;
}

void put(ReportFile& file, char c) {
  if (file.Used == sizeof file.Buffer) flush(file);
  file.Buffer[file.Used++] = c;
}

// Bytes that stand as they are in both forms.
constexpr bool plain(unsigned char c) { return c >= 0x20 && c < 0x7f && c != '\\' && c != '"'; }

void put_escape(ReportFile& file, unsigned char c) {
  put(file, '\\');
  switch (c) {
    case '\\':
    case '"':
      put(file, static_cast<char>(c));
      return;
    case '\r':
      put(file, 'r');
      return;
    case '\t':
      put(file, 't');
      return;
    case '\n':
      put(file, 'n');
      return;
    case '\0':
      put(file, '0');
      return;
    default:
      put(file, 'x');
      put(file, HEX_DIGITS[c >> 4]);
      put(file, HEX_DIGITS[c & 0x0f]);
  }
}

}  // namespace

bool open_report_file(ReportFile& file) {
  file.Used = 0;
  const char* path = report_path();
  file.Descriptor =
      path != nullptr ? ::open(path, O_WRONLY | O_APPEND | O_CREAT | DCS_OPEN_BINARY, 0644) : -1;
  return file.Descriptor >= 0;
}

bool report_file_open(const ReportFile& file) { return file.Descriptor >= 0; }

void write_report(ReportFile& file, const char* text, std::size_t length) {
  while (file.Descriptor >= 0 && length > 0) {
    std::size_t room = sizeof file.Buffer - file.Used;
    std::size_t taken = length < room ? length : room;
    std::memcpy(file.Buffer + file.Used, text, taken);
    file.Used += taken;
    text += taken;
    length -= taken;
    if (file.Used == sizeof file.Buffer) flush(file);
  }
}

void write_report_text(ReportFile& file, const char* text) {
  write_report(file, text, std::strlen(text));
}

void write_report_number(ReportFile& file, std::int64_t number) {
  char digits[24];
  char* end = digits + sizeof digits;
  char* start = end;
  // Counted in the negative range, which holds every 64-bit value.
  std::int64_t rest = number < 0 ? number : -number;
  do {
    *--start = static_cast<char>('0' - rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (number < 0) *--start = '-';
  write_report(file, start, static_cast<std::size_t>(end - start));
}

void write_report_hex(ReportFile& file, std::uint32_t number) {
  char digits[8];
  for (int i = 7; i >= 0; --i, number >>= 4) digits[i] = HEX_DIGITS[number & 0x0f];
  write_report(file, digits, sizeof digits);
}

void end_report_line(ReportFile& file) { write_report(file, "\n", 1); }

void write_report_escaped(ReportFile& file, const char* bytes, std::size_t length,
                          ReportEscape escape) {
  if (file.Descriptor < 0) return;
  bool lines = escape == ESCAPE_TEXT_LINES;
  if (lines) put(file, '|');
  std::size_t i = 0;
  while (i < length) {
    std::size_t run = i;
    while (run < length && plain(static_cast<unsigned char>(bytes[run]))) ++run;
    // A blank at the end of a line is escaped: the run stops before it.
    bool line_ends = lines && (run == length || bytes[run] == '\n');
    std::size_t kept = run;
    if (line_ends && kept > i && bytes[kept - 1] == ' ') --kept;
    write_report(file, bytes + i, kept - i);
    if (kept < run) put_escape(file, ' ');
    if (run == length) break;
    auto c = static_cast<unsigned char>(bytes[run]);
    if (lines && c == '\n') {
      put(file, '\n');
      put(file, '|');
    } else if (lines && c == '"') {
      put(file, '"');
    } else {
      put_escape(file, c);
    }
    i = run + 1;
  }
}

void close_report_file(ReportFile& file) {
  flush(file);
  if (file.Descriptor >= 0) ::close(file.Descriptor);
  file.Descriptor = -1;
}
