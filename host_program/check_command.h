// dravik-host check: reads an initialization string as the driver does and
// says what it would load, where reading stopped and why, and every warning.
#pragma once

#include <string>

#include "diagnostics/init_check.h"

// Runs `dravik-host check`; argv[0] is "check". Returns the exit status.
int run_check(int argc, char** argv);

// The check of a string as text the driver reads, with the catalogue the
// driver's loader makes of it.
struct InitStringCheck {
  InitCheck check{};
  TagCatalogue catalogue{};
  explicit InitStringCheck(const std::string& text);
  ~InitStringCheck() {
    release_init_check(check);
    release_catalogue(catalogue);
  }
  InitStringCheck(const InitStringCheck&) = delete;
  InitStringCheck& operator=(const InitStringCheck&) = delete;

  // Calls each(warning) for every warning, in order. Each call works them
  // out again.
  template <typename Each>
  void each_warning(Each each) const {
    for_each_init_warning(
        check,
        [](void* context, const InitCheck&, const InitWarning& warning) {
          (*static_cast<Each*>(context))(warning);
        },
        &each);
  }
};
