// The module keeps no heap of its own. The C runtime's allocation functions
// and the global operator new and delete are defined here as forwards to the
// host library, so every block the driver places in the host's record can be
// released by either side. On Linux a linker version script keeps these
// definitions local to the driver library: they serve the driver's own calls
// and never replace the process's allocator.
#include <cstddef>
#include <new>

#include "host/host_library.h"

extern "C" {

void* malloc(std::size_t size) { return Corva_malloc(size); }
void free(void* block) { Corva_free(block); }
void* realloc(void* block, std::size_t size) { return Corva_realloc(block, size); }
void* calloc(std::size_t count, std::size_t size) { return Corva_calloc(count, size); }
std::size_t _msize(void* block) { return Corva__msize(block); }
char* _strdup(const char* text) { return Corva_strdup(text); }

// The runtime's math-error hook: the host decides what a math error means.
int DCS_CDECL _matherr(struct _exception* error) { return Ovmatherr(GetModuleName(), error); }

}  // extern "C"

// A null from the host reaches the caller unchanged; the driver is built with
// -fcheck-new and tests every result.
void* operator new(std::size_t size) { return Corva_new(size); }
void* operator new[](std::size_t size) { return Corva_new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Corva_new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Corva_new(size); }
void operator delete(void* block) noexcept { Corva_delete(block); }
void operator delete[](void* block) noexcept { Corva_delete(block); }
void operator delete(void* block, std::size_t) noexcept { Corva_delete(block); }
void operator delete[](void* block, std::size_t) noexcept { Corva_delete(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Corva_delete(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Corva_delete(block); }
