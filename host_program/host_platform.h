// What differs for the stand-in host between Linux and Windows: loading the
// driver library (by path at run time, its nine entry points looked up by
// name, each with its declared type), the driver's message boxes, and
// whether output goes to a terminal.
#pragma once

#include <cstdio>
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
  // Loads the library and every entry point; throws std::runtime_error
  // naming what is missing.
  explicit DriverLibrary(const std::string& path);
  ~DriverLibrary();
  DriverLibrary(const DriverLibrary&) = delete;
  DriverLibrary& operator=(const DriverLibrary&) = delete;

  const DriverEntryPoints& entry() const { return entry_; }

  // Where the driver library is expected beside this program.
  static std::string default_path(const char* program);

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
