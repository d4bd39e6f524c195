// Test controls of the stand-in host library. The stand-in keeps one heap for
// the program and the driver: every block carries a header naming its family
// (malloc or new), so a block released by the wrong family, twice, or not
// from this heap stops the process with a message.
#pragma once

#include <cstddef>

#include "host/platform.h"

#ifdef CORVA_IMPLEMENTATION
#define CORVA_CONTROL_API DCS_EXPORT
#else
#define CORVA_CONTROL_API DCS_IMPORT
#endif

extern "C" {

enum CorvaFunction {
  CORVA_MALLOC,
  CORVA_FREE,
  CORVA_REALLOC,
  CORVA_CALLOC,
  CORVA_MSIZE,
  CORVA_STRDUP,
  CORVA_NEW,
  CORVA_DELETE,
  CORVA_ERROR_MSG,
  CORVA_GET_MODULE_NAME,
  CORVA_OVMATHERR,
  CORVA_FUNCTION_COUNT
};

// Forgets call counts, error keys, the failure schedule, the matherr
// settings and the heap mode. Live blocks stay counted: they are still live.
CORVA_CONTROL_API void corva_reset(void);

// How the heap serves blocks. CHECKED, the default, fills fresh blocks with
// CORVA_FRESH_FILL (calloc's stay zero), overwrites released blocks with
// CORVA_FREED_FILL and moves every block that realloc resizes, so a caller
// that reads what it never wrote, reads after release or keeps a stale
// address shows. The other
// two modes are for measuring and add no work of their own: PASSTHROUGH is
// the C library's heap as it is (realloc may resize in place), MOVING is a
// heap that cannot resize in place, so every realloc moves the block.
enum CorvaHeapMode { CORVA_HEAP_CHECKED, CORVA_HEAP_PASSTHROUGH, CORVA_HEAP_MOVING };
CORVA_CONTROL_API void corva_set_heap_mode(enum CorvaHeapMode mode);

// Bytes asked for by the live blocks, and the most that were live at once
// since the reset.
CORVA_CONTROL_API std::size_t corva_live_bytes(void);
CORVA_CONTROL_API std::size_t corva_peak_bytes(void);

CORVA_CONTROL_API long corva_live_blocks(void);
CORVA_CONTROL_API long corva_live_malloc_blocks(void);
CORVA_CONTROL_API long corva_live_new_blocks(void);
CORVA_CONTROL_API long corva_calls(enum CorvaFunction function);
// Allocation attempts (malloc, realloc, calloc, strdup, new) since the reset.
// As in the host's 32-bit process, a block of 2 GiB or more is refused.
CORVA_CONTROL_API long corva_allocations(void);

// The n-th allocation attempt from now (1 for the next) returns null, and so
// does every later one while `sticky` is nonzero; 0 fails nothing.
CORVA_CONTROL_API void corva_fail_allocation(long n, int sticky);

// Keys passed to ErrorMsg since the reset, oldest first.
CORVA_CONTROL_API int corva_error_key_count(void);
CORVA_CONTROL_API const char* corva_error_key(int index);

// What GetModuleName answers, and what Ovmatherr returns and last received.
CORVA_CONTROL_API void corva_set_module_name(const char* name);
CORVA_CONTROL_API void corva_set_matherr_result(int result);
CORVA_CONTROL_API const char* corva_last_matherr_module(void);
CORVA_CONTROL_API const struct _exception* corva_last_matherr_record(void);

// The byte that fills fresh malloc and new blocks (and the part that realloc
// adds), and the byte that overwrites a block as it is released.
enum { CORVA_FRESH_FILL = 0xA5, CORVA_FREED_FILL = 0xDD };

}  // extern "C"
