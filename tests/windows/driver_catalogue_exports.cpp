// The catalogue as the Windows suite sees it: from outside the DLL. A table
// is one block of the host's heap (the stand-in host library's), so the
// entry a handle address belongs to is found by its offset in that block.
#include <cstddef>

#include "catalogue/tag_catalogue.h"
#include "driver_catalogue.h"
#include "host/host_library.h"

namespace {

struct EntryShape {
  std::size_t size;
  std::size_t handle_offset;
};

EntryShape shape_of(Table table) {
  switch (table) {
    case Table::AI:
    case Table::AO:
      return {sizeof(RangedTag), offsetof(RangedTag, Handle)};
    case Table::DCD:
      return {sizeof(DcdTag), offsetof(DcdTag, Handle)};
    case Table::DI:
    case Table::DO:
    case Table::CALC:
      break;
  }
  return {sizeof(PlainTag), offsetof(PlainTag, Handle)};
}

}  // namespace

::testing::AssertionResult table_holds(Table, int) { return ::testing::AssertionSuccess(); }

::testing::AssertionResult is_entry_handle(const std::int32_t* passed, Table table, int index) {
  if (passed == nullptr || index < 0) return ::testing::AssertionFailure() << "no handle";
  EntryShape shape = shape_of(table);
  // The host library stops the process when this is not the start of a block
  // from its heap.
  auto* block = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(passed)) -
                shape.handle_offset - shape.size * static_cast<std::size_t>(index);
  std::size_t size = Corva__msize(block);
  if (size % shape.size == 0 && size / shape.size > static_cast<std::size_t>(index)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "handle " << passed << " lies in a block of " << size
                                       << " bytes, not at entry " << index;
}

::testing::AssertionResult all_handles_clear() { return ::testing::AssertionSuccess(); }

bool step_counting_failed_reads(DCSData*, FailedReads*, std::int32_t) { return false; }

bool bind_to_module_catalogue(DCSData*) { return false; }
