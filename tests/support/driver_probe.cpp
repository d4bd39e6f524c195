// Compiled into the test build of the driver only: reaches the driver's own
// allocation forwards, which the library keeps local.
#include <cstdlib>
#include <new>

#include "driver_probe.h"

void* probe_driver_malloc(std::size_t size) { return std::malloc(size); }
void probe_driver_free(void* block) { std::free(block); }
void* probe_driver_new_array(std::size_t size) { return new (std::nothrow) char[size]; }
void probe_driver_delete_array(void* block) { delete[] static_cast<char*>(block); }
