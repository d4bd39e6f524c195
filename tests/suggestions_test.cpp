// The tags suggested for unbound items: which, in what order, in what words.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/suggestions.h"

namespace {

// Each tag, found for all at once: the first three look-alikes in the
// catalogue's order; none for a tag the catalogue has under another data set
// or in another table, even after look-alikes were met before it.
TEST(Suggestions, TheFirstThreeLookAlikesOfATagNoneHas) {
  std::string text =
      "*AI*\nTT101.PV,x,1,0,1\nLT101.PV,x,1,0,1\n*AO*\nTT1O1.OUT,x,1,0,1\nTTIOI.PV,x,2,0,1\n"
      "*DI*\nPT101.PV,x,3\nTT1O1.PW,x,3\nRUN,x,1\n*DO*\nTT101.PVX,x,1\n*CALC*\nLEVEL,x,1\n"
      "LEVEL2,x,4\nTTlOl.PV,x,1\n";
  TagCatalogue catalogue{};
  ASSERT_TRUE(append_tags_checked(catalogue, text.data()));
  struct Case {
    const char* tag;
    const char* words;
  };
  const Case cases[] = {
      {"TT1O1.PV",
       "; did you mean \"TT101.PV\" (AI[0], data set 1), \"TTIOI.PV\" (AO[1], data set 2) or "
       "\"TT1O1.PW\" (DI[1], data set 3)?"},
      {"tt101.pvx", ""},
      {"LEVE1", "; did you mean \"LEVEL\" (CALC[0], data set 1)?"},
      {"RUNS", "; did you mean \"RUN\" (DI[2], data set 1)?"},
      {"QQQ", ""},
      {"TT1O1.pv",
       "; did you mean \"TT101.PV\" (AI[0], data set 1), \"TTIOI.PV\" (AO[1], data set 2) or "
       "\"TT1O1.PW\" (DI[1], data set 3)?"},
  };
  std::vector<std::string_view> tags;
  for (const Case& c : cases) tags.push_back(c.tag);
  std::vector<std::vector<TagSuggestion>> found = find_suggestions(catalogue, tags);
  ASSERT_EQ(found.size(), tags.size());
  for (std::size_t i = 0; i < tags.size(); ++i) {
    EXPECT_EQ(suggestions_text(catalogue, found[i]), cases[i].words) << cases[i].tag;
  }
  release_catalogue(catalogue);
}

}  // namespace
