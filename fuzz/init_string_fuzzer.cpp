// Arbitrary bytes as the emulator's initialization string, through the
// release library as the host drives it: two loads into two records (the
// second appends to the catalogue); items named after pieces of the input
// bound and exchanged; then both records destroyed. A second round does the
// same with an allocation failing part-way. Every block the driver took must
// be back when the records are gone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "corva/corva_control.h"
#include "dravlink/dravlink_control.h"
#include "driver/entry_points.h"
#include "host_record.h"
#include "user32/user32_control.h"

namespace {

// Controllers and process variables whose tags are the input's lines, so
// that some of them name tags of the catalogue the same input made.
void add_items(HostRecord& record, const std::uint8_t* data, std::size_t size) {
  constexpr int kItems = 8;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  for (int item = 0; item < kItems && start < text.size(); ++item) {
    std::size_t end = text.find('\n', start);
    std::string tag = text.substr(start, end == std::string::npos ? end : end - start);
    std::int32_t ds = item % 2;
    record.add_controller(tag.c_str(), ds, static_cast<std::int16_t>(item % 3));
    record.add_point(tag.c_str(), ds, item * 0.75 - 1.0);
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

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
    add_items(second, data, size);
    DCSConfigure(second.get());
    DCSSimulate(second.get());
    DCSReset();
    DCSSimulate(second.get());
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
