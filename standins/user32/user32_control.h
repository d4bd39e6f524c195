// Test controls of the stand-in MessageBoxA: every box is recorded, none is
// shown. On Windows the stand-in takes the place of USER32's MessageBoxA in
// dravik32.dll's import table once user32_reset is first called, and can pass
// boxes on to the system's MessageBoxA.
#pragma once

#include "host/platform.h"

#ifdef USER32_IMPLEMENTATION
#define USER32_CONTROL_API DCS_EXPORT
#else
#define USER32_CONTROL_API DCS_IMPORT
#endif

extern "C" {

struct User32Message {
  const void* owner;
  const char* text;  // copies, valid until the next reset
  const char* caption;
  unsigned int flags;
  int answer;  // what MessageBoxA returned for the box
};

// What MessageBoxA answers from the next box on: IDOK (1) after a reset.
// USER32_SYSTEM_ANSWER passes each box on to the system's MessageBoxA and
// answers what it answers (Windows only).
enum { USER32_SYSTEM_ANSWER = 0x7FFFFFFF };
USER32_CONTROL_API void user32_set_answer(int answer);

// Forgets every recorded box.
USER32_CONTROL_API void user32_reset(void);
USER32_CONTROL_API int user32_message_count(void);
USER32_CONTROL_API User32Message user32_message(int index);

}  // extern "C"
