#include "host/user_messages.h"

#include "host/host_library.h"

void show_message(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
}

void report_error_key(const char* key) { ErrorMsg(key); }

void show_load_out_of_memory(bool& shown) {
  if (shown) return;
  shown = true;
  show_message("Error: Out of Memory", "DCS Load Dravik");
}
