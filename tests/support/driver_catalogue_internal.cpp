// The catalogue as the internals build shows it: the module's own.
#include "catalogue/tag_catalogue.h"
#include "driver_catalogue.h"

namespace {

template <typename Visit>
auto with_table(Table table, Visit visit) {
  decltype(visit(tag_catalogue.CALC)) result{};
  visit_table(tag_catalogue, static_cast<int>(table), [&](const auto& t) { result = visit(t); });
  return result;
}

}  // namespace

::testing::AssertionResult table_holds(Table table, int count) {
  int held = catalogue_exists(tag_catalogue)
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
  for_each_table(tag_catalogue, [&set](const auto& t) {
    for (int i = 0; i < t.Count; ++i) set += t.Entries[i].Handle != 0;
  });
  if (set == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << set << " handle words are not 0";
}
