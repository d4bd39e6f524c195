// Sets the environment variable that turns the driver's plant report on, in
// the C runtime the driver reads it from; null removes it.
#pragma once

void set_report_variable(const char* path);
