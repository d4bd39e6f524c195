// dravik-host check: reads an initialization string as the driver does and
// says what it would load, where reading stopped and why, and every warning.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "diagnostics/init_check.h"

// Runs `dravik-host check`; argv[0] is "check". Returns the exit status.
int run_check(int argc, char** argv);

// The initialization string in file `path`; none (the error said on
// stderr) when it cannot be read or is longer than the emulator can report.
std::optional<std::string> read_init_text(const std::string& path);

// The check of a string as text the driver reads, with the catalogue the
// driver's loader makes of it, counting its warnings.
struct InitStringCheck {
  InitCheck check{};
  TagCatalogue catalogue{};
  explicit InitStringCheck(const std::string& text);
  ~InitStringCheck() { release_catalogue(catalogue); }
  InitStringCheck(const InitStringCheck&) = delete;
  InitStringCheck& operator=(const InitStringCheck&) = delete;

  // Calls each(warning) for every warning, in order. Each call works them
  // out again.
  void each_warning(const std::function<void(const InitWarning&)>& each) const {
    for_each_init_warning(check, each);
  }
};
