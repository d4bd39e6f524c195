// The rules every text of the driver and its diagnostics shares, each with
// one home: how a control character is shown, which letters fold, which
// characters are blanks, and what a section header is.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "catalogue/tag_catalogue.h"
#include "catalogue/tag_name.h"
#include "catalogue/tokenizer.h"
#include "diagnostics/escaped_text.h"
#include "diagnostics/folded_text.h"
#include "diagnostics/init_check.h"

namespace {

// Long enough for the check to read it: more than the six headers.
const std::string TITLE = "Dravik tag export, unit 7\n";

// The warning codes the check gives for a string.
std::string codes_of(const std::string& text) {
  InitCheck check;
  TagCatalogue catalogue{};
  check_init_string(check, catalogue, text.data(), static_cast<std::int32_t>(text.size()));
  std::string codes;
  for_each_init_warning(check, [&codes](const InitWarning& warning) {
    codes += std::string(init_warning_code(warning.Kind)) + " ";
  });
  release_catalogue(catalogue);
  return codes;
}

TEST(TextRules, ControlCharactersAreEscapedAndEveryOtherByteShownAsItIs) {
  struct Case {
    unsigned char byte;
    const char* escape;  // empty: shown as it is
    const char* token;   // "a", the byte, "b" as a quoted token
  };
  const Case cases[] = {
      {'\n', "\\n", "\"a\\nb\""},
      {'\r', "\\r", "\"a\\rb\""},
      {'\t', "\\t", "\"a\\tb\""},
      {0x01, "\\x01", "\"a\\x01b\""},
      {0x0b, "\\x0b", "\"a\\x0bb\""},
      {0x1f, "\\x1f", "\"a\\x1fb\""},
      {0x7f, "\\x7f", "\"a\\x7fb\""},
      {' ', "", "\"a b\""},
      {'~', "", "\"a~b\""},
      {0x80, "",
       "\"a\x80"
       "b\""},
      {0xff, "",
       "\"a\xff"
       "b\""},
      {'"', "", "\"a\\\"b\""},
      {'\\', "", "\"a\\\\b\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    const std::string shown = {'a', static_cast<char>(c.byte), 'b'};
    EXPECT_EQ(control_escape(static_cast<char>(c.byte)), c.escape);
    EXPECT_EQ(escaped(shown), *c.escape != '\0' ? std::string("a") + c.escape + "b" : shown);
    EXPECT_EQ(quoted_token(shown), c.token);
  }
}

// Only A to Z fold: the bytes beside them and letters beyond ASCII do not,
// for the binding, the desk's comparisons and the check's duplicates alike.
TEST(TextRules, OnlyTheLettersAToZFold) {
  struct Case {
    const char* tag;
    const char* name;
    bool same;
  };
  const Case cases[] = {
      {"A", "a", true},   {"Z", "z", true},         {"mIxEd.Pv", "MiXeD.pV", true},
      {"@", "`", false},  {"[", "{", false},        {"\xc0", "\xe0", false},
      {"A", "A ", false}, {"TT1", "TT1.PV", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tag) + " / " + c.name);
    EXPECT_EQ(same_tag_name(c.tag, c.name), c.same);
    EXPECT_EQ(same_folded(c.tag, c.name), c.same);
    if (c.same) {
      EXPECT_EQ(folded_hash(c.tag), folded_hash(c.name));
    }
    std::string text = TITLE + "*AO*\n" + c.tag + ", x, 1, 0, 1\n" + c.name + ", x, 1, 0, 1\n";
    EXPECT_EQ(codes_of(text).find("duplicate") != std::string::npos, c.same) << codes_of(text);
  }
}

// The tokenizer's blanks are the check's: a name keeps a trailing byte that
// is no blank, and the check warns of exactly the blanks.
TEST(TextRules, ExactlyTheTokenizersBlanksAreBlanks) {
  struct Case {
    char byte;
    bool blank;
  };
  const Case cases[] = {{' ', true},   {'\t', true}, {'\r', true},   {'\v', false},
                        {'\f', false}, {'_', false}, {'\x01', false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(is_blank(c.byte), c.blank);
    std::string text = TITLE + "*DI*\nP1.RUN" + std::string(1, c.byte) + ", running, 1\n";
    EXPECT_EQ(codes_of(text).find("name-blanks") != std::string::npos, c.blank) << codes_of(text);
  }
  EXPECT_TRUE(is_blank('\n'));
}

// A header is one of the six, byte for byte.
TEST(TextRules, AHeaderMatchesByteForByte) {
  struct Case {
    const char* token;
    int kind;
  };
  const Case cases[] = {{"*AI*", KIND_AI}, {"*CALC*", KIND_CALC}, {"*DCD*", KIND_DCD},
                        {"*ai*", NO_KIND}, {"*AI* ", NO_KIND},    {"*AI*\r", NO_KIND},
                        {"*AI", NO_KIND},  {"AI", NO_KIND},       {"*CALC**", NO_KIND},
                        {"", NO_KIND}};
  for (const Case& c : cases) EXPECT_EQ(section_of(c.token), c.kind) << c.token;
}

}  // namespace
