// The check of an initialization string: it reads the string exactly as the
// loader does, and warns, naming the line, of every trap a reader would not
// see; the reasons of unbound items point at where a name stands.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "catalogue/init_check.h"
#include "catalogue/unbound_reason.h"
#include "standin_fixture.h"

namespace {

class InitCheckTest : public StandinTest {};

struct Checked {
  InitCheck check{};
  explicit Checked(const std::string& text) {
    EXPECT_TRUE(check_init_string(check, text.data(), static_cast<std::int32_t>(text.size())));
  }
  ~Checked() { release_init_check(check); }

  // "code@line" for every warning, in order.
  std::vector<std::string> codes() const {
    std::vector<std::string> found;
    for_each_init_warning(
        check,
        [](void* context, const InitCheck&, const InitWarning& warning) {
          static_cast<std::vector<std::string>*>(context)->push_back(
              std::string(init_warning_code(warning.Kind)) + "@" + std::to_string(warning.Line));
        },
        &found);
    return found;
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> found;
    for_each_init_warning(
        check,
        [](void* context, const InitCheck& check, const InitWarning& warning) {
          char buffer[1024];
          MessageText text = message_text(buffer, sizeof buffer);
          init_warning_text(check, warning, text);
          static_cast<std::vector<std::string>*>(context)->push_back(buffer);
        },
        &found);
    return found;
  }

  std::string reason(bool controller, const char* tag, std::int32_t ds) const {
    char buffer[1024];
    MessageText text = message_text(buffer, sizeof buffer);
    unbound_reason(check.Catalogue, &check, controller, tag, ds, text);
    return buffer;
  }
};

const std::string TITLE = "Dravik tag export, unit 7\n";
const std::string CLEAN = TITLE +
                          "*AI*\nLT1.PV, level, 1, 0.0, 4.0\n"
                          "*AO*\nLIC1.OUT, valve, 1, 0, 100\nLT1.PV, also an output, 1, 0, 4\n"
                          "*DI*\nP1.RUN, running, 1\n*DO*\nP1.CMD, start, 1\n"
                          "*DCD*\nP1.STATE, state, 1,\n 0,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15\n"
                          "*CALC*\nLIC1.ERR, error, 1\n";

std::string crlf(const std::string& text) {
  std::string result;
  for (char c : text) result += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return result;
}

TEST_F(InitCheckTest, WarnsOfEachTrapAtItsLine) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> codes;
  };
  const std::vector<Case> cases = {
      {"a clean string, a tag in both AI and AO included", CLEAN, {}},
      {"33 bytes or less", "*AI*\nA,x,1,0,1\n", {"too-short@0"}},
      {"CRLF line ends: no header is one",
       crlf(TITLE + "*AI*\nLT1.PV, level, 1, 0, 4\n"),
       {"no-tags@0", "crlf@1", "not-a-header@2"}},
      {"a lower-case header inside a section becomes a name",
       TITLE + "*AI*\nA, x, 1, 0, 4\n*ao*\nB, x, 1, 0, 4\n",
       {"not-a-header@4", "not-a-number@5", "cut-short@5"}},
      {"an unknown header before the first one is skipped",
       "*TAGS*\n*DI*\nP1.RUN, running, 1\nP2.RUN, running, 1\n",
       {"not-a-header@1"}},
      {"a short record swallows the next header",
       TITLE + "*AI*\nA, x, 1, 0\n*AO*\nB, y, 1, 0, 4\n",
       {"swallowed-header@4"}},
      {"names with blanks",
       TITLE + "*DI*\nA  , x, 1\n\" B\", x, 2\nC\t, x, 3\n",
       {"name-blanks@3", "name-blanks@4", "name-blanks@5"}},
      {"an empty token ends the reading with text left",
       TITLE + "*AI*\nA, x, 1, 0, 4,,\nB, x, 1, 0, 4\n",
       {"stopped@3"}},
      {"an empty token at the very end loses nothing", TITLE + "*DI*\nA, x, 1,,\n  \n", {}},
      {"numbers: octal, hexadecimal, and not numbers",
       TITLE + "*AI*\nA, x, 010, 1e, 4\nB, x, 0x1F, abc, 2.5kg\nC, x, 07, 0, 1\nD, x, 12abc, , 1\n",
       {"octal@3", "partly-a-number@3", "hexadecimal@4", "not-a-number@4", "partly-a-number@4",
        "partly-a-number@6", "not-a-number@6"}},
      {"the last record cut short by the end",
       TITLE + "*AI*\nA, x, 1, 0, 4\nB, x, 1",
       {"cut-short@4"}},
      {"a zero byte ends the text",
       TITLE + "*DI*\nA, x, 1\n" + std::string(1, '\0') + "B, x, 1\n",
       {"zero-byte@4"}},
      {"a name and data set twice where controllers search, case aside",
       TITLE + "*AO*\nV1, x, 1, 0, 1\nV2, x, 1, 0, 1\n*DO*\nv1, x, 1\n",
       {"duplicate@3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Checked checked(c.text);
    EXPECT_EQ(checked.codes(), c.codes);
  }
}

// The texts' own formatter: the extremes of its conversions, and a buffer
// that fills up.
TEST_F(InitCheckTest, TheFormatterWritesEachConversionAndCutsWhenFull) {
  char buffer[16];
  MessageText text = message_text(buffer, sizeof buffer);
  append_text(text, "%d|%d|%02x|%x", -2147483647 - 1, 0, 10, 0xffu);
  EXPECT_STREQ(buffer, "-2147483648|0|0");
  EXPECT_EQ(text.Length, 15u);
  text = message_text(buffer, sizeof buffer);
  append_text(text, "%02x%x", 10, 0xffu);
  EXPECT_STREQ(buffer, "0aff");
  text = message_text(buffer, sizeof buffer);
  append_text(text, "%c%s 100%%", 'a', "bc");
  EXPECT_STREQ(buffer, "abc 100%");
}

TEST_F(InitCheckTest, MessagesNameTheLineAndTheConsequence) {
  Checked crlf_string(crlf(TITLE + "*AI*\nLT1.PV, level, 1, 0, 4\n"));
  EXPECT_EQ(crlf_string.texts()[2],
            "line 2: \"*AI*\\r\" is not the header *AI*: it ends in a carriage return (CRLF line "
            "ends); it is skipped, as every token before the first header");

  Checked swallowed(TITLE + "*AI*\nA, x, 1, 0\n*AO*\nB, y, 1, 0, 4\n");
  EXPECT_EQ(swallowed.texts()[0],
            "line 4: the AI record \"A\" (line 3) has too few fields: it takes \"*AO*\" as its "
            "High; the section stays AI, and the tokens after it are read as AI fields and "
            "records");

  // A real read in part is named as it is written, blanks before it aside.
  Checked partly(TITLE + "*AI*\nB, x, 1, 0,  2.50e1kg\n");
  EXPECT_EQ(partly.texts()[0],
            "line 3: the High of the AI record \"B\" is \"2.50e1kg\": only its beginning is a "
            "number, read as 2.50e1");

  Checked duplicates(TITLE + "*AI*\nT, x, 1, 0, 1\n*AO*\nT, x, 1, 0, 1\nt, x, 1, 0, 1\n");
  EXPECT_EQ(duplicates.texts()[0],
            "line 3: \"T\" data set 1 stands 3 times: AI[0] (line 3), AO[0] (line 5), AO[1] "
            "(line 6); a controller binds to AO[0] (line 5); a process variable binds to AI[0] "
            "(line 3); the others are never bound");
}

TEST_F(InitCheckTest, ReasonsPointAtWhereTheNameStands) {
  struct Case {
    const char* what;
    std::string text;
    bool controller;
    const char* tag;
    std::int32_t ds;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"trailing blanks", TITLE + "*AI*\nLT1.PV  , level, 1, 0, 4\n", false, "LT1.PV", 1,
       "no tag named \"LT1.PV\"; the AI tag at line 3 is \"LT1.PV  \", with blanks the TAG does "
       "not have"},
      {"after an early stop", TITLE + "*AI*\nA, x, 1, 0, 4,,\nLT1.PV, x, 1, 0, 4\n", false,
       "lt1.pv", 1,
       "no tag named \"lt1.pv\"; it stands at line 4, after the reading stopped at line 3 (an "
       "empty token)"},
      {"after a swallowed header", TITLE + "*AI*\nA, x, 1, 0\n*AO*\nV1, y, 1, 0, 4\n", true, "V1",
       1,
       "\"V1\" data set 1 is only in AI, which controllers do not read (they read AO, DO, DCD "
       "and CALC); its record at line 5 follows the header \"*AO*\" at line 4, which the AI "
       "record \"A\" (line 3) took as a field"},
      {"read as a field", TITLE + "*AI*\nA, x, 1, 0\n*AO*\nV1, y, 1, 0, 4\n", true, "y", 1,
       "no tag named \"y\"; at line 5 it is read as the skipped token of the AI record \"V1\" "
       "(line 5)"},
      {"before the first header", "unit 7, V1\n*DO*\nV2, x, 1\nV3, x, 1\n", true, "V1", 1,
       "no tag named \"V1\"; it stands at line 1, before the first section header, where tokens "
       "are skipped"},
      {"other data sets", CLEAN, true, "LIC1.OUT", 2,
       "\"LIC1.OUT\" exists with other data sets only: 1 (AO)"},
      {"nowhere", CLEAN, false, "NOPE", 1, "no tag named \"NOPE\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Checked checked(c.text);
    EXPECT_EQ(checked.reason(c.controller, c.tag, c.ds), c.reason);
  }
}

template <typename Entry>
const char* name_at(const TagTable<Entry>& table, std::int32_t entry) {
  return entry >= 0 && entry < table.Count ? table.Entries[entry].Name : "(no entry)";
}

// Random strings of header-like tokens, names, numbers, quotes and every
// kind of delimiter: the walk counts each table's records as the loader
// fills it, and each name is the entry the loader made.
TEST_F(InitCheckTest, ReadsEveryStringAsTheLoaderDoes) {
  const std::vector<std::string> pieces = {
      "*AI*",  "*AO*", "*DI*",        "*DO*",   "*DCD*",   "*CALC*", "*ai*", "*AI*\r",
      "*AI* ", "NAME", "Tag 2",       "  lead", "trail  ", "010",    "0x1f", "-3",
      "1.5e3", "abc",  "\"q,uo;te\"", "'x'y",   "\"\"",    "'open",  ",",    ",",
      ",",     ";",    "\n",          "\r\n",   ", ,",     "\n\n",   "\t"};
  std::mt19937 random(11);
  for (int round = 0; round < 3000; ++round) {
    std::string text = "title\n";
    int length = static_cast<int>(random() % 60);
    for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    if (text.size() <= 33) text += std::string(34 - text.size(), ' ');
    SCOPED_TRACE(text);
    Checked checked(text);
    const InitCheck& c = checked.check;
    ASSERT_TRUE(catalogue_exists(c.Catalogue));
    for_each_kind(c.Catalogue, [&c](const auto& table, int section) {
      EXPECT_EQ(c.Records[section], table.Count) << init_section_name(section);
    });
    for (std::int32_t i = 0; i < c.TokenCount; ++i) {
      const InitToken& token = c.Tokens[i];
      if (token.Role != ROLE_NAME) continue;
      const char* loaded[] = {
          name_at(c.Catalogue.AI, token.Entry),  name_at(c.Catalogue.AO, token.Entry),
          name_at(c.Catalogue.DI, token.Entry),  name_at(c.Catalogue.DO, token.Entry),
          name_at(c.Catalogue.DCD, token.Entry), name_at(c.Catalogue.CALC, token.Entry)};
      EXPECT_STREQ(token.Text, loaded[token.Section]);
    }
  }
}

TEST_F(InitCheckTest, AnOutOfMemoryStopIsReported) {
  // The check's blocks and the loader's come from the host's heap: the check's
  // two copies of the string, its tokens and the loader's copy, six tables,
  // then a record fails.
  corva_fail_allocation(13, 1);
  Checked starved(CLEAN);
  corva_fail_allocation(0, 0);
  EXPECT_EQ(starved.check.Stop, STOP_OUT_OF_MEMORY);
  EXPECT_EQ(starved.codes().at(0), "out-of-memory@0");
}

}  // namespace
