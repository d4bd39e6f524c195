// The test program and the DLL share msvcrt.dll, whose environment _putenv
// changes; "NAME=" removes the variable.
#include <process.h>

#include <cstdlib>
#include <string>

#include "report_variable.h"

void set_report_variable(const char* path) {
  std::string setting = std::string("DRAVIK32_REPORT=") + (path != nullptr ? path : "");
  _putenv(setting.c_str());
}

int this_process_id() { return _getpid(); }
