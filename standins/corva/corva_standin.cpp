// Stand-in for the host library: one tracked heap shared by the program and
// the driver, message keys recorded, and the math-error handler.
#define CORVA_IMPLEMENTATION
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "corva/corva_control.h"
#include "host/host_library.h"

namespace {

enum class Family : std::uint32_t { Malloc = 0x4D414C4Cu, New = 0x4E455720u };
constexpr std::uint32_t kLiveMark = 0xC0A7B10Cu;
constexpr std::uint32_t kReleasedMark = 0xDEADB10Cu;

// Sits in front of every block; 16 bytes keep the block as aligned as malloc's.
struct alignas(16) Header {
  std::uint32_t mark;
  Family family;
  std::size_t size;
};

struct State {
  long live[2] = {0, 0};
  std::size_t live_bytes = 0;
  std::size_t peak_bytes = 0;
  CorvaHeapMode mode = CORVA_HEAP_CHECKED;
  long calls[CORVA_FUNCTION_COUNT] = {};
  long allocations = 0;
  long fail_at = 0;
  bool fail_sticky = false;
  std::vector<std::string> error_keys;
  std::string module_name = "ORVENT";
  int matherr_result = 0;
  std::string matherr_module;
  const struct _exception* matherr_record = nullptr;
};

State& state() {
  static State instance;
  return instance;
}

int family_index(Family family) { return family == Family::Malloc ? 0 : 1; }

[[noreturn]] void stop(const char* what, void* block) {
  std::fprintf(stderr, "corva stand-in: %s (block %p)\n", what, block);
  std::abort();
}

// The host is a 32-bit process: no block of 2 GiB or more is ever had.
constexpr std::size_t kLargestBlock = 0x7FFFFFFF;

bool next_allocation_fails(std::size_t size) {
  State& s = state();
  ++s.allocations;
  if (size > kLargestBlock) return true;
  if (s.fail_at == 0) return false;
  return s.fail_sticky ? s.allocations >= s.fail_at : s.allocations == s.fail_at;
}

Header* header_of(void* block, Family family) {
  Header* header = static_cast<Header*>(block) - 1;
  if (header->mark == kReleasedMark) stop("block released twice", block);
  if (header->mark != kLiveMark) stop("block not from this heap", block);
  if (header->family != family) stop("block released by the other family", block);
  return header;
}

void count_bytes(std::size_t added, std::size_t removed) {
  State& s = state();
  s.live_bytes = s.live_bytes + added - removed;
  if (s.live_bytes > s.peak_bytes) s.peak_bytes = s.live_bytes;
}

enum class Fresh { Filled, Zeroed };

void* allocate(std::size_t size, Family family, Fresh fresh) {
  if (next_allocation_fails(size)) return nullptr;
  bool checked = state().mode == CORVA_HEAP_CHECKED;
  auto* header = static_cast<Header*>(fresh == Fresh::Zeroed && !checked
                                          ? std::calloc(1, sizeof(Header) + size)
                                          : std::malloc(sizeof(Header) + size));
  if (header == nullptr) return nullptr;
  header->mark = kLiveMark;
  header->family = family;
  header->size = size;
  void* block = header + 1;
  if (checked) std::memset(block, fresh == Fresh::Filled ? CORVA_FRESH_FILL : 0, size);
  ++state().live[family_index(family)];
  count_bytes(size, 0);
  return block;
}

void release(void* block, Family family) {
  if (block == nullptr) return;
  Header* header = header_of(block, family);
  // As a debug heap does: whoever reads a block after releasing it reads
  // the pattern, not what it held.
  if (state().mode == CORVA_HEAP_CHECKED) std::memset(block, CORVA_FREED_FILL, header->size);
  header->mark = kReleasedMark;
  --state().live[family_index(family)];
  count_bytes(0, header->size);
  std::free(header);
}

void count(CorvaFunction function) { ++state().calls[function]; }

}  // namespace

extern "C" {

void* Corva_malloc(std::size_t size) {
  count(CORVA_MALLOC);
  return allocate(size, Family::Malloc, Fresh::Filled);
}

void Corva_free(void* block) {
  count(CORVA_FREE);
  release(block, Family::Malloc);
}

void* Corva_realloc(void* block, std::size_t size) {
  count(CORVA_REALLOC);
  if (block == nullptr) return allocate(size, Family::Malloc, Fresh::Filled);
  std::size_t old_size = header_of(block, Family::Malloc)->size;
  if (size == 0) {
    release(block, Family::Malloc);
    return nullptr;
  }
  if (state().mode == CORVA_HEAP_PASSTHROUGH) {
    if (next_allocation_fails(size)) return nullptr;
    auto* header =
        static_cast<Header*>(std::realloc(static_cast<Header*>(block) - 1, sizeof(Header) + size));
    if (header == nullptr) return nullptr;
    header->size = size;
    count_bytes(size, old_size);
    return header + 1;
  }
  // A failed resize leaves the old block as it was.
  void* resized = allocate(size, Family::Malloc, Fresh::Filled);
  if (resized == nullptr) return nullptr;
  std::memcpy(resized, block, old_size < size ? old_size : size);
  release(block, Family::Malloc);
  return resized;
}

void* Corva_calloc(std::size_t count_of, std::size_t size) {
  count(CORVA_CALLOC);
  if (size != 0 && count_of > SIZE_MAX / size) return nullptr;
  return allocate(count_of * size, Family::Malloc, Fresh::Zeroed);
}

std::size_t Corva__msize(void* block) {
  count(CORVA_MSIZE);
  return header_of(block, Family::Malloc)->size;
}

char* Corva_strdup(const char* text) {
  count(CORVA_STRDUP);
  std::size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(allocate(size, Family::Malloc, Fresh::Filled));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

void* Corva_new(std::size_t size) {
  count(CORVA_NEW);
  return allocate(size, Family::New, Fresh::Filled);
}

void Corva_delete(void* block) {
  count(CORVA_DELETE);
  release(block, Family::New);
}

void ErrorMsg(const char* key, ...) {
  count(CORVA_ERROR_MSG);
  state().error_keys.emplace_back(key != nullptr ? key : "(null)");
}

const char* GetModuleName(void) {
  count(CORVA_GET_MODULE_NAME);
  return state().module_name.c_str();
}

int Ovmatherr(const char* module_name, struct _exception* error) {
  count(CORVA_OVMATHERR);
  State& s = state();
  s.matherr_module = module_name != nullptr ? module_name : "(null)";
  s.matherr_record = error;
  return s.matherr_result;
}

void corva_reset(void) {
  State& s = state();
  long live[2] = {s.live[0], s.live[1]};
  std::size_t live_bytes = s.live_bytes;
  s = State{};
  s.live[0] = live[0];
  s.live[1] = live[1];
  s.live_bytes = s.peak_bytes = live_bytes;
}

void corva_set_heap_mode(enum CorvaHeapMode mode) { state().mode = mode; }
std::size_t corva_live_bytes(void) { return state().live_bytes; }
std::size_t corva_peak_bytes(void) { return state().peak_bytes; }

long corva_live_blocks(void) { return state().live[0] + state().live[1]; }
long corva_live_malloc_blocks(void) { return state().live[0]; }
long corva_live_new_blocks(void) { return state().live[1]; }
long corva_calls(enum CorvaFunction function) { return state().calls[function]; }
long corva_allocations(void) { return state().allocations; }

void corva_fail_allocation(long n, int sticky) {
  State& s = state();
  s.fail_at = n == 0 ? 0 : s.allocations + n;
  s.fail_sticky = sticky != 0;
}

int corva_error_key_count(void) { return static_cast<int>(state().error_keys.size()); }
const char* corva_error_key(int index) { return state().error_keys.at(index).c_str(); }

void corva_set_module_name(const char* name) { state().module_name = name; }
void corva_set_matherr_result(int result) { state().matherr_result = result; }
const char* corva_last_matherr_module(void) { return state().matherr_module.c_str(); }
const struct _exception* corva_last_matherr_record(void) { return state().matherr_record; }

}  // extern "C"
