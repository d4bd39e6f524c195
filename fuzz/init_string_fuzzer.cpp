// Arbitrary bytes as the emulator's initialization string, through the
// release library as the host drives it: two loads into two records (the
// second appends to the catalogue), then both records destroyed. A second
// round does the same with an allocation failing part-way. Every block the
// driver took must be back when the records are gone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "corva/corva_control.h"
#include "dravlink/dravlink_control.h"
#include "driver/entry_points.h"
#include "host_record.h"
#include "user32/user32_control.h"

namespace {

void load_and_destroy(const std::uint8_t* data, std::size_t size, long failing) {
  corva_reset();
  user32_reset();
  dravlink_reset();
  long before = corva_live_blocks();
  dravlink_set_init_string(reinterpret_cast<const char*>(data), static_cast<std::int32_t>(size));
  corva_fail_allocation(failing, 1);
  {
    HostRecord first;
    HostRecord second;
    DCSLoad(first.get());
    DCSLoad(second.get());
    DCSDestroy(first.get());
    DCSDestroy(second.get());
  }
  if (corva_live_blocks() != before) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > INT32_MAX) return 0;
  load_and_destroy(data, size, 0);
  // Where the failure falls follows from the input, so the fuzzer can steer it.
  unsigned sum = 0;
  for (std::size_t i = 0; i < size; ++i) sum = sum * 31 + data[i];
  load_and_destroy(data, size, 1 + static_cast<long>(sum % 64));
  return 0;
}
