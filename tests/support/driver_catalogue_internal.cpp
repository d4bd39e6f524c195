// The catalogue as the internals build shows it: the module's own.
#include "catalogue/binding.h"
#include "catalogue/tag_catalogue.h"
#include "driver/driver_state.h"
#include "driver_catalogue.h"
#include "emulator/exchange.h"

namespace {

template <typename Visit>
auto with_table(Table table, Visit visit) {
  decltype(visit(driver_state.Catalogue.CALC)) result{};
  visit_table(driver_state.Catalogue, static_cast<int>(table),
              [&](const auto& t) { result = visit(t); });
  return result;
}

}  // namespace

::testing::AssertionResult table_holds(Table table, int count) {
  int held = catalogue_exists(driver_state.Catalogue)
                 ? with_table(table, [](const auto& t) { return static_cast<int>(t.Count); })
                 : -1;
  if (held == count) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the table holds " << held << ", expected " << count;
}

::testing::AssertionResult is_entry_handle(const std::int32_t* passed, Table table, int index) {
  const std::int32_t* expected = with_table(table, [index](const auto& t) -> const std::int32_t* {
    return index >= 0 && index < t.Count ? &t.Entries[index].Handle : nullptr;
  });
  if (expected != nullptr && passed == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "handle " << passed << ", entry's handle " << expected;
}

::testing::AssertionResult all_handles_clear() {
  int set = 0;
  for_each_table(driver_state.Catalogue, [&set](const auto& t) {
    for (int i = 0; i < t.Count; ++i) set += t.Entries[i].Handle != 0;
  });
  if (set == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << set << " handle words are not 0";
}

bool step_counting_failed_reads(DCSData* data, FailedReads* reads, std::int32_t counted) {
  exchange_step(data, driver_state.Catalogue, reads, counted);
  return true;
}

bool bind_to_module_catalogue(DCSData* data) {
  bind_lists(data, driver_state.Catalogue);
  return true;
}
