#include <gtest/gtest.h>
// Cutting the initialization string into tokens, in place.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/tokenizer.h"

namespace {

// An exact-size heap copy, so a read past the terminating zero shows under
// AddressSanitizer.
std::unique_ptr<char[]> buffer_of(const std::string& text) {
  auto buffer = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
  return buffer;
}

// The tokens up to the first empty one, as a loader sees them.
std::vector<std::string> tokens_of(const std::string& text) {
  auto buffer = buffer_of(text);
  char* cursor = buffer.get();
  std::vector<std::string> tokens;
  for (char* token = next_token(&cursor); *token != '\0'; token = next_token(&cursor)) {
    tokens.emplace_back(token);
  }
  return tokens;
}

struct Case {
  const char* text;
  std::vector<std::string> tokens;
};

TEST(Tokenizer, CutsTextAtDelimitersAndQuotes) {
  const Case cases[] = {
      {"a,b;c\nd", {"a", "b", "c", "d"}},      // each delimiter
      {" \t\r\n a b \t,c", {"a b \t", "c"}},   // blanks before, inside and after
      {"abc\r\ndef\r\n", {"abc\r", "def\r"}},  // CR/LF lines keep the CR
      {"a\rb,c", {"a\rb", "c"}},               // a CR alone ends nothing
      {"a\n\n \n\tb", {"a", "b"}},             // blank lines
      {"\"x, y\",z", {"x, y", "z"}},           // double quote
      {"'ab'cd,ef", {"ab", "ef"}},             // apostrophe; text after it dropped
      {"'ab'c;d,e", {"ab", "d", "e"}},         // dropped text ends at any delimiter
      {"' a\"b;\n',d", {" a\"b;\n", "d"}},     // the other quote, blanks and delimiters
      {"  \"q\"", {"q"}},                      // a quote after blanks opens
      {"a\"b,c'd", {"a\"b", "c'd"}},           // a quote inside a token
      {"\"a,b;c\nd", {"a,b;c\nd"}},            // an unclosed quote takes the rest
      {"\"\",x", {"\"", "x"}},                 // empty quoted text is not empty
      {"''tail;x", {"'tail", "x"}},            //   ... it runs to the delimiter
      {"a,,b", {"a"}},                         // two delimiters: empty token
      {"a, \t,b", {"a"}},
      {"a,\n,b", {"a"}},
      {"x", {"x"}},
      {"", {}},
      {" \n\t\r", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(tokens_of(c.text), c.tokens) << '"' << c.text << '"';
}

TEST(Tokenizer, EndsAtTheTerminatingZeroForeverAndMovesOnlyForward) {
  auto buffer = buffer_of("x");
  char* cursor = buffer.get();
  EXPECT_STREQ(next_token(&cursor), "x");
  for (int call = 0; call < 3; ++call) {
    EXPECT_EQ(cursor, buffer.get() + 1);
    EXPECT_EQ(next_token(&cursor), buffer.get() + 1);
  }
  auto other = buffer_of("a, \n\tb");
  cursor = other.get();
  next_token(&cursor);
  EXPECT_EQ(cursor, other.get() + 5);  // the first non-blank after the delimiter
}

TEST(Tokenizer, WritesZerosOnlyOverDelimitersAndClosingQuotes) {
  auto buffer = buffer_of("'ab'cd,ef;g");
  char* cursor = buffer.get();
  for (int call = 0; call < 5; ++call) next_token(&cursor);
  const char expected[] = "'ab\0cd\0ef\0g";
  EXPECT_EQ(std::memcmp(buffer.get(), expected, sizeof expected), 0);
}

}  // namespace
