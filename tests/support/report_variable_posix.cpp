#include <unistd.h>

#include <cstdlib>

#include "report_variable.h"

void set_report_variable(const char* path) {
  if (path == nullptr) {
    unsetenv("DRAVIK32_REPORT");
  } else {
    setenv("DRAVIK32_REPORT", path, 1);
  }
}

int this_process_id() { return getpid(); }
