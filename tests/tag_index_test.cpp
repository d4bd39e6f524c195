// The binding's hash index against the entry-by-entry search it replaces.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "catalogue/binding.h"
#include "catalogue/tag_catalogue.h"
#include "catalogue/tag_index.h"
#include "standin_fixture.h"

namespace {

// The index answers exactly what the entry-by-entry search answers, on
// random catalogues full of traps: duplicate names and data sets, names that
// differ in case or only above ASCII, prefixes, the same name in several
// tables, full tables, and tags that match nothing.
class IndexTest : public CatalogueOwnerTest {};

TEST_F(IndexTest, FindsWhatTheLinearSearchFinds) {
  const char* const stems[] = {"fic101",  "FIC101", "Fic101", "fic1010",  "fic10",    "t\xC9mp",
                               "T\xE9MP", "a",      "A",      "pump run", "pump  run"};
  const std::int32_t data_sets[] = {1, 2, 3, 0, -1, 40000};
  std::mt19937 random(9);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // The last round fills a table, so its later records are dropped.
    int records = round == 23 ? MAXTAGS + 50 : 1 + pick(300);
    std::string text;
    for (int r = 0; r < records; ++r) {
      int table = round == 23 ? KIND_DI : pick(TAG_TABLES);
      text += std::string(TAG_KINDS[table].Header) + "\n" + stems[pick(11)] + ",x," +
              std::to_string(data_sets[pick(6)]);
      for (int field = RECORD_HEAD_TOKENS; field < TAG_KINDS[table].RecordTokens; ++field) {
        text += "," + std::to_string(field - RECORD_HEAD_TOKENS);
      }
      text += "\n";
    }
    ASSERT_TRUE(append_tags_checked(catalogue_, text.data()));
    TagIndex index;
    ASSERT_TRUE(build_tag_index(index, catalogue_));
    int matched = 0;
    for (const char* stem : stems) {
      for (std::int32_t ds : data_sets) {
        for (bool controller : {true, false}) {
          Binding linear = {0, -1};
          Binding indexed = {0, -1};
          bool found = find_binding_linear(catalogue_, controller, stem, ds, linear);
          EXPECT_EQ(find_binding_indexed(index, catalogue_, controller, stem, ds, indexed), found);
          EXPECT_EQ(indexed.code, linear.code) << stem << " " << ds;
          EXPECT_EQ(indexed.index, linear.index) << stem << " " << ds;
          matched += found;
        }
      }
    }
    Binding none;
    EXPECT_FALSE(find_binding_indexed(index, catalogue_, true, "fic", 1, none));
    EXPECT_FALSE(find_binding_indexed(index, catalogue_, false, "fic1011", 1, none));
    EXPECT_GT(matched, 0);
    release_tag_index(index);
    release_catalogue(catalogue_);
  }
}

// Two pairs of keys whose hashes are equal (found by search): the index
// tells them apart by name and by data set. A third pair hashes to 0 and 1
// (found by search over the data sets): 0 marks a free slot, yet both are
// found, and the first is kept as 1, equal to the second.
TEST_F(IndexTest, KeysOfEqualHashesAreToldApart) {
  struct Key {
    const char* name;
    std::int32_t ds;
  };
  const Key keys[] = {{"t439599", 1}, {"t622382", 1},           {"t1359115", 1},
                      {"u31304", 2},  {"zero.hash", 172082567}, {"one.hash", 437264631}};
  std::string text = "*AI*\n";
  for (const Key& key : keys)
    text += std::string(key.name) + ",x," + std::to_string(key.ds) + ",0,1\n";
  ASSERT_TRUE(append_tags_checked(catalogue_, text.data()));
  TagIndex index;
  ASSERT_TRUE(build_tag_index(index, catalogue_));
  // Each pair still collides; after a change of the hash this test would
  // have nothing to tell apart.
  for (int first : {0, 2, 4}) {
    const Key& a = keys[first];
    const Key& b = keys[first + 1];
    const TagIndexSlot* slot_a = find_tag(index, catalogue_, a.name, a.ds);
    const TagIndexSlot* slot_b = find_tag(index, catalogue_, b.name, b.ds);
    ASSERT_TRUE(slot_a != nullptr && slot_b != nullptr);
    EXPECT_NE(slot_a, slot_b);
    EXPECT_EQ(slot_a->Hash, slot_b->Hash) << a.name << " and " << b.name << " no longer collide";
  }
  for (std::int32_t entry = 0; entry < 6; ++entry) {
    Binding found = {0, -1};
    EXPECT_TRUE(
        find_binding_indexed(index, catalogue_, false, keys[entry].name, keys[entry].ds, found));
    EXPECT_EQ(found.index, entry) << keys[entry].name;
  }
  release_tag_index(index);
}

}  // namespace
