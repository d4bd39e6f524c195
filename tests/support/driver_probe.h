// The driver's own allocation forwards, reached from a test.
#pragma once

#include <cstddef>

#include "host/platform.h"

DCS_EXPORT void* probe_driver_malloc(std::size_t size);
DCS_EXPORT void probe_driver_free(void* block);
DCS_EXPORT void* probe_driver_new_array(std::size_t size);
DCS_EXPORT void probe_driver_delete_array(void* block);
