#include "host/user_messages.h"

#include "host/host_library.h"

void show_message(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
}

void report_error_key(const char* key) { ErrorMsg(key); }

namespace {

enum class LoadBox { NoLoad, NotShown, Shown };
LoadBox load_box = LoadBox::NoLoad;

}  // namespace

void show_load_out_of_memory() {
  if (load_box == LoadBox::Shown) return;
  if (load_box == LoadBox::NotShown) load_box = LoadBox::Shown;
  show_message("Error: Out of Memory", "DCS Load Dravik");
}

void begin_load_messages() { load_box = LoadBox::NotShown; }

void end_load_messages() { load_box = LoadBox::NoLoad; }
