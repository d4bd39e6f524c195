// Stand-in for the emulator's client library: scripted answers per tag, the
// inputs the driver wrote, and a log of every call. Value and status
// arguments point into packed host records and may be misaligned, so they
// are read and written byte-wise.
#define DRAVLINK_IMPLEMENTATION
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dravlink/dravlink_control.h"
#include "emulator/dravlink.h"

namespace {

struct Tag {
  DravlinkKind kind;
  std::int32_t ds;
  std::string name;
  std::int32_t handle;  // nonzero, unique per tag
  bool scripted = false;
  double real = 0.0;
  std::int32_t integer = 0;
  std::int32_t status = 0;
  int flags = 0;
  bool written = false;
  double input_real = 0.0;
  std::int32_t input_integer = 0;
};

struct State {
  bool lean = false;  // see dravlink_set_lean
  std::string init_string;
  std::int32_t reported_length = 0;
  int init_length_calls = 0;
  std::vector<Tag> tags;
  std::vector<DravlinkCall> calls;
  bool log_calls = true;
  DravlinkCall unlogged{};  // the call in progress while the log is off
  // Hostile modes.
  std::int32_t init_written = -1;
  std::vector<std::int32_t> init_lengths;
  std::size_t init_lengths_used = 0;
  std::int32_t last_length_answer = 0;
  bool scramble_handles = false;
  std::uint32_t scramble_state = 0x2545F491u;
};

State& state() {
  static State instance;
  return instance;
}

bool same_name(const std::string& a, const char* b) {
  std::size_t length = std::strlen(b);
  if (a.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

Tag& tag_of(DravlinkKind kind, std::int32_t ds, const char* name) {
  State& s = state();
  for (Tag& tag : s.tags) {
    if (tag.kind == kind && tag.ds == ds && same_name(tag.name, name)) return tag;
  }
  Tag tag{kind, ds, name, static_cast<std::int32_t>(s.tags.size()) + 1};
  s.tags.push_back(tag);
  return s.tags.back();
}

// Keeps the call in the log, or only until the next call while the log is off.
DravlinkCall& log_call(const DravlinkCall& call) {
  State& s = state();
  if (!s.log_calls) return s.unlogged = call;
  s.calls.push_back(call);
  return s.calls.back();
}

template <typename T>
T load(const void* address) {
  T value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

template <typename T>
void store(void* address, T value) {
  std::memcpy(address, &value, sizeof value);
}

// A handle word of the library's own choice: a 32-bit xorshift, with 0, -1
// and the limits coming up every few calls.
std::int32_t scrambled_handle() {
  State& s = state();
  std::uint32_t x = s.scramble_state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  s.scramble_state = x;
  constexpr std::int32_t kSpecial[] = {0, -1, INT32_MAX, INT32_MIN};
  if (x % 3 == 0) return kSpecial[(x / 3) % 4];
  std::int32_t word;
  std::memcpy(&word, &x, sizeof word);
  return word;
}

// Logs the call and hands out the tag's handle word when the caller's is 0.
DravlinkCall& begin_call(int ordinal, DravlinkKind kind, std::int32_t ds, char* tag,
                         std::int32_t* handle, const void* value, Tag** found) {
  DravlinkCall call{};
  call.ordinal = ordinal;
  call.ds = ds;
  call.tag = tag;
  if (tag != nullptr) {
    std::strncpy(call.tag_text, tag, sizeof call.tag_text - 1);
  }
  call.handle = handle;
  call.handle_word = load<std::int32_t>(handle);
  call.value = value;
  Tag& entry = tag_of(kind, ds, tag != nullptr ? tag : "");
  if (call.handle_word == 0) store(handle, entry.handle);
  if (state().scramble_handles) store(handle, scrambled_handle());
  call.handle_left = load<std::int32_t>(handle);
  *found = &entry;
  return log_call(call);
}

// A read: the scripted answer, or DRAVLINK_UNKNOWN_TAG for a tag never scripted.
template <typename T>
void answer_read(DravlinkCall& call, const Tag& tag, T scripted, void* value,
                 std::int32_t* status) {
  if (!tag.scripted) {
    store(status, std::int32_t{DRAVLINK_UNKNOWN_TAG});
  } else {
    if ((tag.flags & DRAVLINK_LEAVE_VALUE) == 0) store(value, scripted);
    if ((tag.flags & DRAVLINK_LEAVE_STATUS) == 0) store(status, tag.status);
  }
  call.status = load<std::int32_t>(status);
  if constexpr (sizeof(T) == sizeof(double)) {
    call.real = load<double>(value);
  } else {
    call.integer = load<std::int32_t>(value);
  }
}

// The whole of a tag call in lean mode: true when it was answered so.
template <typename T>
bool lean_answer(std::int32_t* handle, void* value, T answer, std::int32_t* status) {
  if (!state().lean) return false;
  if (load<std::int32_t>(handle) == 0) store(handle, std::int32_t{1});
  if (value != nullptr) store(value, answer);
  store(status, std::int32_t{0});
  return true;
}

constexpr double kLeanReal = 50.0;
constexpr std::int32_t kLeanInteger = 1;

}  // namespace

extern "C" {

std::int32_t DCS_STDCALL EmuGetInitLength(void) {
  State& s = state();
  std::int32_t answer = s.reported_length;
  if (!s.init_lengths.empty()) {
    answer = s.init_lengths[std::min(s.init_lengths_used++, s.init_lengths.size() - 1)];
  }
  ++s.init_length_calls;
  s.last_length_answer = answer;
  return answer;
}

std::int32_t DCS_STDCALL EmuGetInitString(char* buffer) {
  const State& s = state();
  std::int32_t reported = s.init_lengths.empty() ? s.reported_length : s.last_length_answer;
  std::size_t room = reported > 0 ? static_cast<std::size_t>(reported) : 0;
  std::size_t length = std::min(room, s.init_string.size());
  if (s.init_written >= 0) {
    // Fewer characters than reported, or one more, into the byte kept for
    // the terminating zero; no terminating zero.
    std::size_t most = std::min(room + 1, s.init_string.size());
    std::memcpy(buffer, s.init_string.data(),
                std::min(most, static_cast<std::size_t>(s.init_written)));
    return 0;
  }
  std::memcpy(buffer, s.init_string.data(), length);
  buffer[length] = '\0';  // the caller's buffer holds room + 1 bytes
  return 0;
}

std::int32_t DCS_STDCALL EmuReset(void) {
  DravlinkCall call{};
  call.ordinal = ORDINAL_RESET;
  log_call(call);
  return 0;
}

double DCS_STDCALL EmuWriteAnalogIn(std::int32_t ds, char* tag, std::int32_t* handle, double* value,
                                    std::int32_t* status) {
  if (lean_answer(handle, nullptr, kLeanReal, status)) return 0.0;
  Tag* entry = nullptr;
  DravlinkCall& call =
      begin_call(ORDINAL_WRITE_ANALOG_IN, DRAVLINK_AI, ds, tag, handle, value, &entry);
  call.real = entry->input_real = load<double>(value);
  entry->written = true;
  store(status, std::int32_t{0});
  return call.real;
}

double DCS_STDCALL EmuReadAnalogOut(std::int32_t ds, char* tag, std::int32_t* handle, double* value,
                                    std::int32_t* status) {
  if (lean_answer(handle, value, kLeanReal, status)) return kLeanReal;
  Tag* entry = nullptr;
  DravlinkCall& call =
      begin_call(ORDINAL_READ_ANALOG_OUT, DRAVLINK_AO, ds, tag, handle, value, &entry);
  answer_read(call, *entry, entry->real, value, status);
  return call.real;
}

std::int32_t DCS_STDCALL EmuWriteDiscreteIn(std::int32_t ds, char* tag, std::int32_t* handle,
                                            std::int32_t* value, std::int32_t* status) {
  if (lean_answer(handle, nullptr, kLeanInteger, status)) return 0;
  Tag* entry = nullptr;
  DravlinkCall& call =
      begin_call(ORDINAL_WRITE_DISCRETE_IN, DRAVLINK_DI, ds, tag, handle, value, &entry);
  call.integer = entry->input_integer = load<std::int32_t>(value);
  entry->written = true;
  store(status, std::int32_t{0});
  return 0;
}

std::int32_t DCS_STDCALL EmuReadDiscreteOut(std::int32_t ds, char* tag, std::int32_t* handle,
                                            std::int32_t* value, std::int32_t* status) {
  if (lean_answer(handle, value, kLeanInteger, status)) return 0;
  Tag* entry = nullptr;
  DravlinkCall& call =
      begin_call(ORDINAL_READ_DISCRETE_OUT, DRAVLINK_DO, ds, tag, handle, value, &entry);
  answer_read(call, *entry, entry->integer, value, status);
  return 0;
}

std::int32_t DCS_STDCALL EmuReadDcdState(std::int32_t ds, char* tag, std::int32_t* handle,
                                         std::int32_t* state_out, std::int32_t* status) {
  if (lean_answer(handle, state_out, kLeanInteger, status)) return 0;
  Tag* entry = nullptr;
  DravlinkCall& call =
      begin_call(ORDINAL_READ_DCD_STATE, DRAVLINK_DCD, ds, tag, handle, state_out, &entry);
  answer_read(call, *entry, entry->integer, state_out, status);
  return 0;
}

double DCS_STDCALL EmuReadCalc(std::int32_t ds, char* tag, std::int32_t* handle, double* value,
                               std::int32_t* status) {
  if (lean_answer(handle, value, kLeanReal, status)) return kLeanReal;
  Tag* entry = nullptr;
  DravlinkCall& call = begin_call(ORDINAL_READ_CALC, DRAVLINK_CALC, ds, tag, handle, value, &entry);
  answer_read(call, *entry, entry->real, value, status);
  return call.real;
}

void dravlink_reset(void) { state() = State{}; }
void dravlink_set_lean(int lean) { state().lean = lean != 0; }

void dravlink_set_init_string(const char* text, std::int32_t length) {
  State& s = state();
  s.init_string.assign(text, static_cast<std::size_t>(length));
  s.reported_length = length;
}

void dravlink_set_init_length(std::int32_t length) { state().reported_length = length; }

void dravlink_set_output(enum DravlinkKind kind, std::int32_t ds, const char* name, double real,
                         std::int32_t integer, std::int32_t status, int flags) {
  Tag& tag = tag_of(kind, ds, name);
  tag.scripted = true;
  tag.real = real;
  tag.integer = integer;
  tag.status = status;
  tag.flags = flags;
}

int dravlink_input(enum DravlinkKind kind, std::int32_t ds, const char* name, double* real,
                   std::int32_t* integer) {
  const Tag& tag = tag_of(kind, ds, name);
  if (real != nullptr) *real = tag.input_real;
  if (integer != nullptr) *integer = tag.input_integer;
  return tag.written ? 1 : 0;
}

int dravlink_init_length_calls(void) { return state().init_length_calls; }
void dravlink_log_calls(int enabled) { state().log_calls = enabled != 0; }
int dravlink_call_count(void) { return static_cast<int>(state().calls.size()); }
void dravlink_clear_calls(void) { state().calls.clear(); }
const DravlinkCall* dravlink_call(int index) { return &state().calls.at(index); }

void dravlink_set_init_written(std::int32_t count) { state().init_written = count; }

void dravlink_set_init_lengths(const std::int32_t* lengths, int count) {
  State& s = state();
  s.init_lengths.assign(lengths, lengths + (count > 0 ? count : 0));
  s.init_lengths_used = 0;
}

void dravlink_scramble_handles(int on) { state().scramble_handles = on != 0; }

}  // extern "C"
