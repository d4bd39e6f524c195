// Stand-in for USER32's MessageBoxA: records each box and answers OK, or
// what the test asked for.
#define USER32_IMPLEMENTATION
#include <deque>
#include <string>

#include "host/host_library.h"
#include "user32/driver_message_box.h"
#include "user32/user32_control.h"

namespace {

struct Recorded {
  const void* owner;
  std::string text;
  std::string caption;
  unsigned int flags;
  int answer;
};

// A deque keeps earlier records where they are as boxes are added.
std::deque<Recorded>& recorded() {
  static std::deque<Recorded> boxes;
  return boxes;
}

constexpr int kIdOk = 1;
int next_answer = kIdOk;
MessageBoxAType* system_message_box = nullptr;

}  // namespace

extern "C" {

int DCS_STDCALL MessageBoxA(void* owner, const char* text, const char* caption,
                            unsigned int flags) {
  int answer = next_answer;
  if (answer == USER32_SYSTEM_ANSWER && system_message_box != nullptr) {
    answer = system_message_box(owner, text, caption, flags);
  }
  recorded().push_back(
      {owner, text != nullptr ? text : "", caption != nullptr ? caption : "", flags, answer});
  return answer;
}

void user32_reset(void) {
  static bool taken_over = false;
  if (!taken_over) system_message_box = take_over_driver_message_box(MessageBoxA);
  taken_over = true;
  recorded().clear();
  next_answer = kIdOk;
}

void user32_set_answer(int answer) { next_answer = answer; }

int user32_message_count(void) { return static_cast<int>(recorded().size()); }

User32Message user32_message(int index) {
  const Recorded& box = recorded().at(static_cast<std::size_t>(index));
  return {box.owner, box.text.c_str(), box.caption.c_str(), box.flags, box.answer};
}

}  // extern "C"
