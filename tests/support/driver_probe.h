// The driver's own allocation forwards, reached from a test.
#pragma once

#include <cstddef>

#include "host/platform.h"

DCS_EXPORT void* probe_driver_malloc(std::size_t size);
DCS_EXPORT void probe_driver_free(void* block);
DCS_EXPORT std::size_t probe_driver_msize(void* block);
DCS_EXPORT char* probe_driver_strdup(const char* text);

// Each form of the global operator new and delete.
enum ProbeNew { PROBE_NEW, PROBE_NEW_ARRAY, PROBE_NEW_NOTHROW, PROBE_NEW_ARRAY_NOTHROW };
enum ProbeDelete {
  PROBE_DELETE,
  PROBE_DELETE_ARRAY,
  PROBE_DELETE_SIZED,
  PROBE_DELETE_ARRAY_SIZED,
  PROBE_DELETE_NOTHROW,
  PROBE_DELETE_ARRAY_NOTHROW
};
DCS_EXPORT void* probe_driver_new(ProbeNew form, std::size_t size);
DCS_EXPORT void probe_driver_delete(ProbeDelete form, void* block, std::size_t size);
