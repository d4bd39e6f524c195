// What differs for the stand-in host between Linux and Windows: loading the
// driver library (by path at run time, its nine entry points looked up by
// name, each with its declared type), the driver's message boxes, and
// whether output goes to a terminal, where the program itself lies, and a
// pipe to another program.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/entry_point_types.h"

struct DriverEntryPoints {
#define DCS_MEMBER(name) name##Type* name = nullptr;
  DCS_ENTRY_POINTS(DCS_MEMBER)
#undef DCS_MEMBER
};

class DriverLibrary {
 public:
  // Loads the library at `path`, taken relative to the working directory
  // when it is not absolute, and every entry point; throws
  // std::runtime_error naming what is missing.
  explicit DriverLibrary(const std::string& path);
  ~DriverLibrary();
  DriverLibrary(const DriverLibrary&) = delete;
  DriverLibrary& operator=(const DriverLibrary&) = delete;

  const DriverEntryPoints& entry() const { return entry_; }

  // Where the driver library is expected: beside this program's own file,
  // wherever it was started from (a PATH search, a symbolic link).
  static std::string default_path();

 private:
  void* handle_ = nullptr;
  DriverEntryPoints entry_;
};

// Message boxes the driver showed since the last call (captured on Linux; on
// Windows they are real boxes and none is returned).
struct DriverBox {
  std::string text;
  std::string caption;
};
std::vector<DriverBox> take_driver_boxes();

bool is_terminal(std::FILE* stream);

// Lines written to `stream` end in a line feed alone, on Windows too, so a
// run's output is the same bytes on every system.
void use_line_feeds(std::FILE* stream);

// This program's own file, links resolved; empty when the system does not say.
std::filesystem::path program_file();

// A command run with a pipe to its standard input; close_pipe gives its exit
// status as the system reports it (0 for success).
std::FILE* open_pipe(const std::string& command);
int close_pipe(std::FILE* pipe);
