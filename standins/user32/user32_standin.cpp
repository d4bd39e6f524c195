// Stand-in for USER32's MessageBoxA: records each box and answers OK.
#define USER32_IMPLEMENTATION
#include <deque>
#include <string>

#include "host/host_library.h"
#include "user32/user32_control.h"

namespace {

struct Recorded {
  const void* owner;
  std::string text;
  std::string caption;
  unsigned int flags;
};

// A deque keeps earlier records where they are as boxes are added.
std::deque<Recorded>& recorded() {
  static std::deque<Recorded> boxes;
  return boxes;
}

constexpr int kIdOk = 1;

}  // namespace

extern "C" {

int DCS_STDCALL MessageBoxA(void* owner, const char* text, const char* caption,
                            unsigned int flags) {
  recorded().push_back(
      {owner, text != nullptr ? text : "", caption != nullptr ? caption : "", flags});
  return kIdOk;
}

void user32_reset(void) { recorded().clear(); }

int user32_message_count(void) { return static_cast<int>(recorded().size()); }

User32Message user32_message(int index) {
  const Recorded& box = recorded().at(static_cast<std::size_t>(index));
  return {box.owner, box.text.c_str(), box.caption.c_str(), box.flags};
}

}  // extern "C"
