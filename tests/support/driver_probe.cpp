// Compiled into the test build of the driver only: reaches the driver's own
// allocation forwards, which the library keeps local.
#include <cstdlib>
#include <cstring>
#include <new>

#include "driver_probe.h"

extern "C" std::size_t _msize(void* block);
extern "C" char* _strdup(const char* text);

void* probe_driver_malloc(std::size_t size) { return std::malloc(size); }
void probe_driver_free(void* block) { std::free(block); }
std::size_t probe_driver_msize(void* block) { return _msize(block); }
char* probe_driver_strdup(const char* text) { return _strdup(text); }

void* probe_driver_new(ProbeNew form, std::size_t size) {
  switch (form) {
    case PROBE_NEW:
      return ::operator new(size);
    case PROBE_NEW_ARRAY:
      return ::operator new[](size);
    case PROBE_NEW_NOTHROW:
      return ::operator new(size, std::nothrow);
    default:
      return ::operator new[](size, std::nothrow);
  }
}

void probe_driver_delete(ProbeDelete form, void* block, std::size_t size) {
  switch (form) {
    case PROBE_DELETE:
      ::operator delete(block);
      break;
    case PROBE_DELETE_ARRAY:
      ::operator delete[](block);
      break;
    case PROBE_DELETE_SIZED:
      ::operator delete(block, size);
      break;
    case PROBE_DELETE_ARRAY_SIZED:
      ::operator delete[](block, size);
      break;
    case PROBE_DELETE_NOTHROW:
      ::operator delete(block, std::nothrow);
      break;
    default:
      ::operator delete[](block, std::nothrow);
      break;
  }
}
