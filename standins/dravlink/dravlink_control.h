// Test controls of the stand-in emulator client library. A test scripts the
// initialization string and, per tag (kind, data set and name, the name
// without regard to ASCII letter case), what a read answers; it reads back
// what the driver wrote to an input and the log of every call. Like the real
// library it writes a tag's handle word: a nonzero word of its own choice
// whenever a call arrives with a zero handle.
#pragma once

#include <cstdint>

#include "catalogue/tag_kinds.h"
#include "host/platform.h"

#ifdef DRAVLINK_IMPLEMENTATION
#define DRAVLINK_CONTROL_API DCS_EXPORT
#else
#define DRAVLINK_CONTROL_API DCS_IMPORT
#endif

extern "C" {

// The kinds of tag, numbered as the driver's tables.
enum DravlinkKind {
  DRAVLINK_AI = KIND_AI,
  DRAVLINK_AO = KIND_AO,
  DRAVLINK_DI = KIND_DI,
  DRAVLINK_DO = KIND_DO,
  DRAVLINK_DCD = KIND_DCD,
  DRAVLINK_CALC = KIND_CALC
};

// The status a read gives for a tag the test has not scripted.
enum { DRAVLINK_UNKNOWN_TAG = 7 };

// Flags of a scripted read: leave the value or the status as the caller had it.
enum { DRAVLINK_LEAVE_VALUE = 1, DRAVLINK_LEAVE_STATUS = 2 };

// One call into the library, as the driver made it.
struct DravlinkCall {
  int ordinal;  // 1 to 11, as the driver binds them
  std::int32_t ds;
  const char* tag;           // the pointer the driver passed
  char tag_text[72];         // its text, cut to 71 characters
  std::int32_t* handle;      // the address the driver passed
  std::int32_t handle_word;  // the word at that address when called
  const void* value;         // the value address the driver passed
  double real;               // value written or read (analog, calc)
  std::int32_t integer;      // value written or read (discrete, state)
  std::int32_t status;       // status written, or the status word as found if left
  std::int32_t handle_left;  // the word the library left at the handle address
};

// Forgets the string, every scripted tag, every input and the log, and
// leaves lean mode.
DRAVLINK_CONTROL_API void dravlink_reset(void);

// Lean mode, for measuring the driver: a tag call does only what a fast
// library must. A zero handle word gets 1, a read answers 50.0, or 1 for a
// discrete value or a state, with status 0, and a write answers status 0.
// Nothing is logged, scripted answers are ignored and inputs are not kept.
DRAVLINK_CONTROL_API void dravlink_set_lean(int lean);

// The initialization string; EmuGetInitLength reports its length unless
// dravlink_set_init_length has set another answer. EmuGetInitString copies
// at most as many characters as it reported.
DRAVLINK_CONTROL_API void dravlink_set_init_string(const char* text, std::int32_t length);
DRAVLINK_CONTROL_API void dravlink_set_init_length(std::int32_t length);

// What a read of the tag answers: `real` for AO and CALC, `integer` for DO
// (the value) and DCD (the state).
DRAVLINK_CONTROL_API void dravlink_set_output(enum DravlinkKind kind, std::int32_t ds,
                                              const char* name, double real, std::int32_t integer,
                                              std::int32_t status, int flags);

// The last value the driver wrote to an AI (real) or DI (integer) input;
// returns 0 when none was written.
DRAVLINK_CONTROL_API int dravlink_input(enum DravlinkKind kind, std::int32_t ds, const char* name,
                                        double* real, std::int32_t* integer);

// How often EmuGetInitLength was asked since the reset.
DRAVLINK_CONTROL_API int dravlink_init_length_calls(void);

// Whether calls are logged (the default, and again after a reset). A long
// run turns the log off, so memory does not grow with every call.
DRAVLINK_CONTROL_API void dravlink_log_calls(int enabled);

DRAVLINK_CONTROL_API int dravlink_call_count(void);
DRAVLINK_CONTROL_API void dravlink_clear_calls(void);
DRAVLINK_CONTROL_API const DravlinkCall* dravlink_call(int index);

// Hostile modes: a library that misbehaves in ways the driver must survive
// without reading or writing outside what it owns. dravlink_reset ends them.

// EmuGetInitString writes only the first `count` characters of the string
// and no terminating zero, leaving the rest of the caller's buffer as it
// was; at most one more than it reported, into the byte the caller keeps
// for the terminating zero. A negative count ends the mode.
DRAVLINK_CONTROL_API void dravlink_set_init_written(std::int32_t count);

// EmuGetInitLength answers these lengths in turn, then the last one for
// good; EmuGetInitString copies at most as many characters as the latest
// answer. A count of 0 ends the mode.
DRAVLINK_CONTROL_API void dravlink_set_init_lengths(const std::int32_t* lengths, int count);

// Every call of ordinals 5 to 11 leaves a word of the library's own choice
// at its handle address, a different one each time: now and then 0, -1 or
// a 32-bit limit. The call log keeps the word found and the word left.
DRAVLINK_CONTROL_API void dravlink_scramble_handles(int on);

}  // extern "C"
