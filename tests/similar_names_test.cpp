// Names that look alike: the rule, and its index against a comparison of
// every pair.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "diagnostics/folded_text.h"
#include "diagnostics/similar_names.h"

namespace {

TEST(SimilarNamesRule, OneEditOrConfusableCharactersApart) {
  struct Pair {
    const char* a;
    const char* b;
    bool similar;
  };
  const Pair pairs[] = {
      // Each confusable character, twice (one difference alone is one edit
      // anyway), in either letter case; and the pairs that are not confused.
      {"TTOO1.PV", "TT001.PV", true},
      {"ttoo1.pv", "TT001.PV", true},
      {"FIIC", "F11C", true},
      {"fiic", "F11C", true},
      {"FllC", "F11C", true},
      {"FLLC", "F11C", true},
      {"FIlC", "FlIC", true},
      {"PSS1", "P551", true},
      {"pss1", "P551", true},
      {"BB1", "881", true},
      {"bb1", "881", true},
      {"ZZ7", "227", true},
      {"zz7", "227", true},
      {"QQ1", "OO1", false},
      {"GG", "66", false},
      {"TT", "77", false},
      {"AA", "44", false},
      // Confusables in several places are no edit, however many.
      {"SO-IZB", "50-128", true},
      // One insert, delete or substitution, at the start, middle or end.
      {"LT101.PV", "XLT101.PV", true},
      {"LT101.PV", "LT1011.PV", true},
      {"LT101.PV", "LT101.PVX", true},
      {"LT101.PV", "T101.PV", true},
      {"LT101.PV", "LT11.PV", true},
      {"LT101.PV", "LT101.P", true},
      {"LT101.PV", "XT101.PV", true},
      {"LT101.PV", "LT171.PV", true},
      {"LT101.PV", "LT101.PX", true},
      {"A", "", true},
      {"LT101.PV ", "lt101.pv", true},
      // A confusable and one edit more, or a confusable within a longer
      // name and another difference: two edits.
      {"TT1O1.PV", "TT101.PVX", false},
      {"TT1O1.PV", "LT101.PV", false},
      {"SO-IZB", "50-128X", false},
      // Two edits, a transposition, letters that are not confused.
      {"LT101.PV", "LT101", false},
      {"LT101.PV", "XLT101.PVX", false},
      {"LT101.PV", "TL101.PV", false},
      {"VALVE", "VALEV", false},
      {"LT101.PV", "LT1X1.PW", false},
      {"LT101", "LT10122", false},
      // Equal names, letter case aside, are not similar: they are the same.
      {"LT101.PV", "LT101.PV", false},
      {"lt101.pv", "LT101.PV", false},
      {"", "", false},
  };
  for (const Pair& pair : pairs) {
    EXPECT_EQ(similar_names(pair.a, pair.b), pair.similar) << pair.a << " / " << pair.b;
    EXPECT_EQ(similar_names(pair.b, pair.a), pair.similar) << pair.b << " / " << pair.a;
  }
}

// The index finds, for each candidate, exactly the groups a comparison with
// every indexed name finds, each once; equal names share the first one's
// group. Names are drawn from confusable characters so that many pairs are
// similar in every way.
TEST(SimilarNamesIndex, FindsWhatComparingEveryPairFinds) {
  const std::string alphabet = "oO0iIl1sS5bB8zZ2aA.-";
  std::mt19937 random(17);
  auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  auto random_name = [&] {
    std::string name;
    for (std::size_t length = 1 + pick(5); name.size() < length;) name += alphabet[pick(20)];
    return name;
  };
  auto mutated = [&](std::string name) {
    switch (pick(4)) {
      case 0:
        name.insert(pick(name.size() + 1), 1, alphabet[pick(20)]);
        break;
      case 1:
        if (!name.empty()) name.erase(pick(name.size()), 1);
        break;
      case 2:
        if (!name.empty()) name[pick(name.size())] = alphabet[pick(20)];
        break;
      default:
        break;
    }
    return name;
  };
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<std::string> indexed;
    for (std::size_t i = 0, count = 1 + pick(60); i < count; ++i) {
      indexed.push_back(i > 0 && pick(3) == 0 ? mutated(indexed[pick(i)]) : random_name());
    }
    indexed.push_back(std::string(SIMILAR_NAME_MAX + 1, 'a'));
    std::vector<std::string_view> names(indexed.begin(), indexed.end());
    SimilarNames index(names);
    std::vector<std::int32_t> group(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      group[i] = static_cast<std::int32_t>(i);
      for (std::size_t j = 0; j < i && names[i].size() <= SIMILAR_NAME_MAX; ++j) {
        if (same_folded(names[i], names[j])) {
          group[i] = group[j];
          break;
        }
      }
      EXPECT_EQ(index.group(static_cast<std::int32_t>(i)), group[i]) << names[i];
    }
    for (int probe = 0; probe < 200; ++probe) {
      std::string candidate = mutated(probe % 2 ? indexed[pick(indexed.size())] : random_name());
      std::set<std::pair<std::int32_t, bool>> found;
      std::size_t reported = 0;
      for (auto [each, same] : index.probe(candidate)) {
        found.insert({each, same});
        ++reported;
      }
      std::set<std::pair<std::int32_t, bool>> expected;
      for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        if (same_folded(names[i], candidate)) expected.insert({group[i], true});
        if (similar_names(names[i], candidate)) expected.insert({group[i], false});
      }
      EXPECT_EQ(found, expected) << candidate;
      EXPECT_EQ(reported, expected.size()) << candidate;
    }
    EXPECT_TRUE(index.probe(std::string(SIMILAR_NAME_MAX + 1, 'a')).empty());
  }
  // A name of the longest length resembles no longer one, one insertion
  // apart.
  const std::string longest(SIMILAR_NAME_MAX, 'a');
  const std::vector<std::string_view> longest_only = {longest};
  EXPECT_TRUE(SimilarNames(longest_only).probe(longest + "a").empty());
}

}  // namespace
