// What the report's tests need of the platform: the environment variable
// that turns the driver's plant report on, set in the C runtime the driver
// reads it from (null removes it), and the process's id, which keeps the
// report files of suites running side by side apart.
#pragma once

void set_report_variable(const char* path);
int this_process_id();
