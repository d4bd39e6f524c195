#include "host/user_messages.h"

#include "host/host_library.h"

void show_message(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
}

void report_error_key(const char* key) { ErrorMsg(key); }
