#include "host/report_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "host/platform.h"

namespace {

constexpr char REPORT_VARIABLE[] = "DRAVIK32_REPORT";

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

}  // namespace

bool report_requested() { return report_path() != nullptr; }

bool open_report_file(ReportFile& file) {
  file.Used = 0;
  const char* path = report_path();
  file.Descriptor =
      path != nullptr ? ::open(path, O_WRONLY | O_APPEND | O_CREAT | DCS_OPEN_BINARY, 0644) : -1;
  return file.Descriptor >= 0;
}

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

void close_report_file(ReportFile& file) {
  flush(file);
  if (file.Descriptor >= 0) ::close(file.Descriptor);
  file.Descriptor = -1;
}
