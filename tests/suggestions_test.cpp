// The tags suggested for unbound items: which, in what order, in what words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/suggestions.h"
#include "standin_fixture.h"

namespace {

class SuggestionsTest : public CatalogueOwnerTest {};

// Each tag, found for all at once: the first three look-alikes in the
// catalogue's order; none for a tag the catalogue has under another data set
// or in another table, even after look-alikes were met before it.
TEST_F(SuggestionsTest, TheFirstThreeLookAlikesOfATagNoneHas) {
  std::string text =
      "*AI*\nTT101.PV,x,1,0,1\nLT101.PV,x,1,0,1\n*AO*\nTT1O1.OUT,x,1,0,1\nTTIOI.PV,x,2,0,1\n"
      "*DI*\nPT101.PV,x,3\nTT1O1.PW,x,3\nRUN,x,1\n*DO*\nTT101.PVX,x,1\n*CALC*\nLEVEL,x,1\n"
      "LEVEL2,x,4\nTTlOl.PV,x,1\n";
  ASSERT_TRUE(append_tags_checked(catalogue_, text.data()));
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
      {nullptr, ""},
      {"TT1O1.pv",
       "; did you mean \"TT101.PV\" (AI[0], data set 1), \"TTIOI.PV\" (AO[1], data set 2) or "
       "\"TT1O1.PW\" (DI[1], data set 3)?"},
  };
  std::vector<const char*> tags;
  for (const Case& c : cases) tags.push_back(c.tag);
  TagSuggestions found;
  ASSERT_TRUE(find_suggestions(found, catalogue_, tags.data(), static_cast<int>(tags.size())));
  for (int i = 0; i < static_cast<int>(tags.size()); ++i) {
    char buffer[512];
    MessageText words = message_text(buffer, sizeof buffer);
    append_suggestions(words, catalogue_, suggestions_for(found, i));
    EXPECT_EQ(std::string(buffer), cases[i].words) << (cases[i].tag ? cases[i].tag : "null");
  }
  release_suggestions(found);

  // Memory refused: no suggestions, and nothing held.
  long held = driver_blocks();
  for (int sticky : {0, 1}) {
    corva_fail_allocation(sticky ? 1 : 2, sticky);
    EXPECT_FALSE(find_suggestions(found, catalogue_, tags.data(), static_cast<int>(tags.size())));
    corva_fail_allocation(0, 0);
    EXPECT_EQ(suggestions_for(found, 0), nullptr);
    EXPECT_EQ(driver_blocks(), held);
  }
}

}  // namespace
