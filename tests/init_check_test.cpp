// The check of an initialization string: it reads the string exactly as the
// loader does, and warns, naming the line, of every trap a reader would not
// see; the reasons of unbound items point at where a name stands.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/init_check.h"
#include "diagnostics/report_text.h"
#include "diagnostics/unbound_reason.h"

namespace {

struct Checked {
  InitCheck check;
  TagCatalogue catalogue{};
  explicit Checked(const std::string& text) {
    check_init_string(check, catalogue, text.data(), static_cast<std::int32_t>(text.size()));
  }
  Checked() = default;
  ~Checked() { release_catalogue(catalogue); }

  // "code@line" for every warning, in order.
  std::vector<std::string> codes() const {
    std::vector<std::string> found;
    for_each_init_warning(check, [&](const InitWarning& warning) {
      found.push_back(std::string(init_warning_code(warning.Kind)) + "@" +
                      std::to_string(warning.Line));
    });
    return found;
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> found;
    for_each_init_warning(check, [&](const InitWarning& warning) {
      found.push_back(init_warning_text(check, warning));
    });
    return found;
  }

  struct Sought {
    bool controller;
    const char* tag;
    std::int32_t ds;
  };

  // The reasons of the items, the lookups built once for all of them.
  std::vector<std::string> reasons(const std::vector<Sought>& items, bool with_check = true) const {
    std::vector<std::string_view> tags;
    for (const Sought& item : items) tags.push_back(item.tag);
    UnboundReasons lookups(catalogue, with_check ? &check : nullptr, tags);
    std::vector<std::string> found;
    for (const Sought& item : items)
      found.push_back(lookups.reason(item.controller, item.tag, item.ds));
    return found;
  }

  std::string reason(bool controller, const char* tag, std::int32_t ds,
                     bool with_check = true) const {
    return reasons({{controller, tag, ds}}, with_check).at(0);
  }
};

const std::string TITLE = "Dravik tag export, unit 7\n";
const std::string CLEAN = TITLE +
                          "*AI*\nLT1.PV, level, 1, 0.0, 4.0\n"
                          "*AO*\nLIC1.OUT, valve, 1, 0, 100\nLT1.PV, also an output, 1, 0, 4\n"
                          "*DI*\nP1.RUN, running, 1\n*DO*\nP1.CMD, start, 1\n"
                          "*DCD*\nP1.STATE, state, 1,\n 0,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15\n"
                          "*CALC*\nLIC1.ERR, error, 1\n";

// A DI table filled, and two records more.
const std::string FULL_DI = [] {
  std::string text = TITLE + "*DI*\n";
  for (int i = 0; i <= MAXTAGS; ++i) text += "A, x, 1\n";
  return text + "LAST, x, 1\n";
}();

std::string crlf(const std::string& text) {
  std::string result;
  for (char c : text) result += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return result;
}

TEST(InitCheck, WarnsOfEachTrapAtItsLine) {
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
       "\n*TAGS*\n*DI*\nP1.RUN, running, 1\nP2.RUN, running, 1\n",
       {"not-a-header@2"}},
      {"duplicates in the order of their names, not of their lines",
       TITLE + "*DI*\nb, x, 1\nB, x, 1\nA, x, 1\nC, x, 1\na, x, 1\n",
       {"duplicate@5", "duplicate@3"}},
      {"the same name with another data set is no duplicate",
       TITLE + "*AO*\nV, x, 2, 0, 1\nV, x, 1, 0, 1\n*DO*\nV, x, 2\n",
       {"duplicate@3"}},
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
      {"data sets with signs, blanks, capitals and lone zeros",
       TITLE + "*DI*\nA, x, +010\nB, x, \" -0X1f\"\nC, x, 007\nD, x, 0\nE, x, 0x\nF, x, 0xg\n",
       {"octal@3", "hexadecimal@4", "partly-a-number@7", "partly-a-number@8"}},
      {"tokens almost headers",
       "\" *DI*\"\n*DI*\n*DI*\r , x, 1\n*Di*, x, 1\n*, x, 1\n**, x, 1\nA*, x, 1\n*A, x, 1\n",
       {"not-a-header@1", "not-a-header@3", "not-a-header@4"}},
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
  EXPECT_STREQ(init_warning_code(WARN_CUT_SHORT + 1), "unknown");
}

TEST(InitCheck, MessagesNameTheLineAndTheConsequence) {
  struct Case {
    const char* what;
    std::string text;
    std::size_t warning;  // its place among the string's warnings
    std::string message;
  };
  // The last 13 of a DCD record's 17 state values.
  const std::string dcd_states = ", 3,4,5,6,7,8,9,10,11,12,13,14,15";
  const std::vector<Case> cases = {
      {"a header with CRLF", crlf(TITLE + "*AI*\nLT1.PV, level, 1, 0, 4\n"), 2,
       "line 2: \"*AI*\\r\" is not the header *AI*: it ends in a carriage return (CRLF line "
       "ends); it is skipped, as every token before the first header"},
      {"a swallowed header", TITLE + "*AI*\nA, x, 1, 0\n*AO*\nB, y, 1, 0, 4\n", 0,
       "line 4: the AI record \"A\" (line 3) has too few fields: it takes \"*AO*\" as its "
       "High; the section stays AI, and the tokens after it are read as AI fields and "
       "records"},
      {"duplicates", TITLE + "*AI*\nT, x, 1, 0, 1\n*AO*\nT, x, 1, 0, 1\nt, x, 1, 0, 1\n", 0,
       "line 3: \"T\" data set 1 stands 3 times: AI[0] (line 3), AO[0] (line 5), AO[1] "
       "(line 6); a controller binds to AO[0] (line 5); a process variable binds to AI[0] "
       "(line 3); the others are never bound"},
      {"an octal data set", TITLE + "*AI*\nA, x, 010, 0, 4\n", 0,
       "line 3: the data set \"010\" of the AI record \"A\" is read as an octal number: 8"},
      {"a hexadecimal data set", TITLE + "*DI*\nA,\nx, 0x1F\n", 0,
       "line 4: the data set \"0x1F\" of the DI record \"A\" (line 3) is read as a "
       "hexadecimal number: 31"},
      {"an empty Low", TITLE + "*AI*\nD, x, 1, , 1\n", 0,
       "line 3: the Low of the AI record \"D\" is empty, not a number: it is read as 0"},
      {"a High with a unit", TITLE + "*AO*\nV, x, 1, 0, 2.5kg\n", 0,
       "line 3: the High of the AO record \"V\" is \"2.5kg\": only its beginning is a number, "
       "read as 2.5"},
      {"a real read in part is named as written, blanks before it aside",
       TITLE + "*AI*\nB, x, 1, 0,  2.50e1kg\n", 0,
       "line 3: the High of the AI record \"B\" is \"2.50e1kg\": only its beginning is a "
       "number, read as 2.50e1"},
      {"a data set with letters", TITLE + "*DO*\nV, x, 12abc\n", 0,
       "line 3: the data set of the DO record \"V\" is \"12abc\": only its beginning is a "
       "number, read as 12"},
      {"a state value not a number", TITLE + "*DCD*\nS, x, 1, 0,0,1,two" + dcd_states + "\n", 0,
       "line 3: the state value 3 of the DCD record \"S\" is \"two\", not a number: it is read "
       "as 0"},
      {"two fields cut off", TITLE + "*AI*\nA, x, 1, 0, 4\nB, x, 1", 0,
       "line 4: the AI record \"B\" is cut short by the end of the text: its last 2 fields are "
       "read as 0"},
      {"one field cut off", TITLE + "*AI*\nA, x, 1, 0, 4\nB, x, 1, 0", 0,
       "line 4: the AI record \"B\" is cut short by the end of the text: its last field is read "
       "as 0"},
      {"a zero byte", TITLE + "*DI*\nA, x, 1\n" + std::string(1, '\0') + "B, x, 1\n", 0,
       "line 4: a zero byte ends the text as the driver reads it; the 9 bytes from it on are "
       "ignored"},
      {"an empty token with lines after it", TITLE + "*AI*\nA, x, 1, 0, 4,,\nB, x, 1, 0, 4\n", 0,
       "line 3: an empty token (two delimiters with only blanks between them) where a record "
       "would begin ends the reading; the rest of the text, up to line 5, is ignored"},
      {"an empty token on the last line", TITLE + "*AI*\nA, x, 1, 0, 4,, B", 0,
       "line 3: an empty token (two delimiters with only blanks between them) where a record "
       "would begin ends the reading; the rest of the text is ignored"},
      {"one CRLF line", TITLE + "*DI*\nA, x, 1\r\nB, x, 2\n", 0,
       "line 3: the line ends in a carriage return and a line feed (CRLF, 1 line): the driver "
       "keeps the carriage return in the last token of each line, so a header alone on its "
       "line is not recognised"},
      {"a header with a blank in its token", TITLE + "*DI*\n*AO* , x, 1\n", 0,
       "line 3: \"*AO* \" is not the header *AO*: blanks stand beside it in its token; it is "
       "read as the name of a record in the DI section, and the 2 tokens after it as that "
       "record's fields"},
      {"an unknown header", "*TAGS*\n*DI*\nP1.RUN, running, 1\nP2.RUN, running, 1\n", 0,
       "line 1: \"*TAGS*\" is not a header: no section has this header; it is skipped, as "
       "every token before the first header"},
      {"no header at all", TITLE + "AI\nA, x, 1, 0, 4\n", 0,
       "no tag is read: no section header is recognised (*AI*, *AO*, *DI*, *DO*, *DCD* and "
       "*CALC*, in capitals, each a token of its own)"},
      {"a duplicate only controllers search", TITLE + "*AO*\nV, x, 1, 0, 1\nV, x, 1, 0, 1\n", 0,
       "line 3: \"V\" data set 1 stands 2 times: AO[0] (line 3), AO[1] (line 4); a controller "
       "binds to AO[0] (line 3); the others are never bound"},
      {"a duplicate in tables both kinds search",
       TITLE + "*DCD*\nS, x, 1, 0,0,1,2" + dcd_states + "\n*CALC*\nS, x, 1\n", 0,
       "line 3: \"S\" data set 1 stands 2 times: DCD[0] (line 3), CALC[0] (line 5); a "
       "controller binds to DCD[0] (line 3); a process variable binds to DCD[0] (line 3); the "
       "others are never bound"},
      {"a full table", FULL_DI, 0,
       "the DI table is full at 32767 entries: 2 further records are read and dropped"},
      {"headers and no record", TITLE + "*AI*\n*AO*\n", 0,
       "no tag is read: no record follows a header before the reading ends"},
      {"a name with a control character, a tab, a quote and a trailing blank",
       TITLE + "*DI*\n\x01\x7f\tA\\\" , x, 1\n", 0,
       "line 3: the DI tag name \"\\x01\\x7f\\tA\\\\\\\" \" has trailing blanks, which an item's "
       "TAG "
       "must carry to bind to it"},
      {"a quoted name with a leading blank", TITLE + "*DI*\n\" B\", x, 1\n", 0,
       "line 3: the DI tag name \" B\" has leading blanks, which an item's TAG must carry to "
       "bind to it"},
      {"a quoted name with blanks on both sides", TITLE + "*DI*\n\" B\n\", x, 1\n", 0,
       "line 3: the DI tag name \" B\\n\" has leading and trailing blanks, which an item's TAG "
       "must carry to bind to it"},
      {"a long name is cut", TITLE + "*DI*\n" + std::string(70, 'N') + " , x, 1\n", 0,
       "line 3: the DI tag name \"" + std::string(60, 'N') +
           "...\" has trailing blanks, which an item's TAG must carry to bind to it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Checked checked(c.text);
    std::vector<std::string> texts = checked.texts();
    ASSERT_LT(c.warning, texts.size());
    EXPECT_EQ(texts[c.warning], c.message);
  }
}

TEST(InitCheck, ReasonsPointAtWhereTheNameStands) {
  struct Case {
    const char* what;
    std::string text;
    bool controller;
    const char* tag;
    std::int32_t ds;
    std::string reason;
    bool with_check = true;
  };
  const std::vector<Case> cases = {
      {"trailing blanks", TITLE + "*AI*\nLT1.PV  , level, 1, 0, 4\n", false, "LT1.PV", 1,
       "no tag named \"LT1.PV\"; the AI tag at line 3 is \"LT1.PV  \", whose blanks differ from "
       "the TAG's"},
      {"blanks in the TAG only", TITLE + "*AI*\nLT1.PV, level, 1, 0, 4\n", false, " LT1.PV", 1,
       "no tag named \" LT1.PV\"; the AI tag at line 3 is \"LT1.PV\", whose blanks differ from "
       "the TAG's"},
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
      {"other data sets in two tables", CLEAN, false, "LT1.PV", 2,
       "\"LT1.PV\" exists with other data sets only: 1 (AI), 1 (AO)"},
      {"in a table it searches", CLEAN, true, "lic1.out", 1,
       "\"lic1.out\" data set 1 is in AO, but the driver did not bind it"},
      {"only in two tables it does not search", TITLE + "*AO*\nX, x, 1, 0, 4\n*DO*\nX, x, 1\n",
       false, "X", 1,
       "\"X\" data set 1 is only in AO, DO, which process variables do not write (they write AI "
       "and DI)"},
      {"a record past a full table", FULL_DI, false, "LAST", 1,
       "no tag named \"LAST\"; its DI record at line 32771 was dropped: the table was full"},
      {"only where it cannot bind, without the check",
       TITLE + "*AI*\nA, x, 1, 0\n*AO*\nV1, y, 1, 0, 4\n", true, "V1", 1,
       "\"V1\" data set 1 is only in AI, which controllers do not read (they read AO, DO, DCD "
       "and CALC)",
       false},
      {"nowhere, without the check", "unit 7, V1\n*DO*\nV2, x, 1\nV3, x, 1\n", true, "V1", 1,
       "no tag named \"V1\"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Checked checked(c.text);
    EXPECT_EQ(checked.reason(c.controller, c.tag, c.ds, c.with_check), c.reason);
  }
}

// The items of one case explained together read as each explained alone:
// tags that differ in letter case or blanks, the same tag with other data
// sets or kinds, more tags than the lookups' first slots.
TEST(InitCheck, ReasonsOfManyItemsAtOnceAreEachItemsOwn) {
  const std::string text = TITLE +
                           "*AI*\nA, x, 1, 0\n*AO*\nV1, y, 1, 0, 4\nLT1.PV  , level, 1, 0, 4\n"
                           "*DI*\nP1, x, 2\nq1, x, 1\n*DO*\nQ1, x, 1\n";
  const std::vector<Checked::Sought> items = {
      {true, "V1", 1},      {false, "v1", 1},     {true, "V1", 2},     {false, " LT1.PV", 1},
      {false, "LT1.PV", 1}, {true, "lt1.pv ", 1}, {true, "y", 1},      {true, "A", 1},
      {false, "level", 1},  {false, "P1", 1},     {true, "Q1", 1},     {false, "Q1", 1},
      {false, "NOPE", 1},   {true, "x", 1},       {false, "LT1.PV", 1}};
  Checked checked(text);
  for (bool with_check : {true, false}) {
    std::vector<std::string> alone;
    for (const Checked::Sought& item : items) {
      alone.push_back(checked.reason(item.controller, item.tag, item.ds, with_check));
    }
    EXPECT_EQ(checked.reasons(items, with_check), alone);
  }
}

template <typename Entry>
const char* name_at(const TagTable<Entry>& table, std::int32_t entry) {
  return entry >= 0 && entry < table.Count ? table.Entries[entry].Name : "(no entry)";
}

// Random strings of header-like tokens, names, numbers, quotes and every
// kind of delimiter: the walk counts each table's records as the loader
// fills it, and each name is the entry the loader made.
TEST(InitCheck, ReadsEveryStringAsTheLoaderDoes) {
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
    const TagCatalogue& loaded_tables = checked.catalogue;
    ASSERT_TRUE(catalogue_exists(loaded_tables));
    for_each_kind(loaded_tables, [&c](const auto& table, int section) {
      EXPECT_EQ(c.Records[section], table.Count) << init_section_name(section);
    });
    for (std::int32_t i = 0; i < init_token_count(c); ++i) {
      const InitToken token = init_token(c, i);
      if (token.Role != ROLE_NAME) continue;
      const char* loaded[] = {
          name_at(loaded_tables.AI, token.Entry),  name_at(loaded_tables.AO, token.Entry),
          name_at(loaded_tables.DI, token.Entry),  name_at(loaded_tables.DO, token.Entry),
          name_at(loaded_tables.DCD, token.Entry), name_at(loaded_tables.CALC, token.Entry)};
      EXPECT_STREQ(token.Text, loaded[token.Section]);
    }
  }
}

// A load whose memory runs out at the record of the name told `stored`-th
// (from 0), played over a whole load's events the way the loader tells it
// (its own tests refuse it memory): that record's tokens are told, then the
// stop, then every later token as unread.
struct StarvedLoad {
  LoadObserver check;
  std::int32_t stored;
  bool in_last_record = false;
  bool starved = false;

  static void seen(void* context, const LoadEvent& event) {
    auto& load = *static_cast<StarvedLoad*>(context);
    if (load.in_last_record && event.Kind != SEEN_FIELD) {
      load.check.Seen(load.check.Context, {nullptr, NO_KIND, SEEN_OUT_OF_MEMORY, 0, false, -1});
      load.in_last_record = false;
      load.starved = true;
    }
    if (load.starved) {
      if (*event.Token != '\0') {
        load.check.Seen(load.check.Context,
                        {event.Token, event.Section, SEEN_UNREAD, 0, false, -1});
      }
      return;
    }
    if (event.Kind == SEEN_NAME && load.stored-- == 0) load.in_last_record = true;
    load.check.Seen(load.check.Context, event);
  }
};

TEST(InitCheck, AnOutOfMemoryStopIsReported) {
  Checked starved;
  StarvedLoad load{init_check_observer(starved.check), 1};
  LoadObserver relay = {&load, nullptr, StarvedLoad::seen, nullptr};
  std::string text = CLEAN;
  load.check.Begin(load.check.Context, text.data(), static_cast<std::int32_t>(text.size()));
  append_tags_checked(starved.catalogue, text.data(), &relay);
  load.check.Keep(load.check.Context, text.data());
  ASSERT_TRUE(load.starved);
  EXPECT_EQ(starved.check.Stop, STOP_OUT_OF_MEMORY);
  EXPECT_EQ(init_reading_text(starved.check), "stopped early: out of memory");
  EXPECT_EQ(starved.check.Loaded, 1);
  EXPECT_EQ(starved.codes().at(0), "out-of-memory@0");
  EXPECT_EQ(starved.texts().at(0),
            "memory ran out while the tags were read; the tables keep what was read before");
  // The record whose entry could not be stored, and all after it, were not
  // read.
  EXPECT_EQ(starved.reason(true, "valve", 1),
            "no tag named \"valve\"; it stands at line 5, after the reading stopped");
  EXPECT_EQ(starved.reason(true, "also an output", 1),
            "no tag named \"also an output\"; it stands at line 6, after the reading stopped");
}

}  // namespace
