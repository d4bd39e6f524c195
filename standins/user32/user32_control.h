// Test controls of the stand-in MessageBoxA: every box is recorded, none is
// shown.
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
};

// Forgets every recorded box.
USER32_CONTROL_API void user32_reset(void);
USER32_CONTROL_API int user32_message_count(void);
USER32_CONTROL_API User32Message user32_message(int index);

}  // extern "C"
