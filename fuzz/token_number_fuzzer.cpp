// Arbitrary bytes through the tokenizer and the two number readers, each
// checked against an oracle: the tokenizer against what it may do to its
// buffer and cursor, parse_id against strtol with base 0 clamped to 32 bits,
// and parse_real against strtod (this program never leaves the "C" locale)
// on the numbers both read, with d and D as exponent letters mapped to e.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "catalogue/numbers.h"
#include "catalogue/tokenizer.h"

namespace {

[[noreturn]] void finding(const char* what, const char* text) {
  std::fprintf(stderr, "finding: %s on \"%s\"\n", what, text);
  std::abort();
}

void check_id(const char* text) {
  long wide = std::strtol(text, nullptr, 0);
  std::int32_t expected = wide > INT32_MAX   ? INT32_MAX
                          : wide < INT32_MIN ? INT32_MIN
                                             : static_cast<std::int32_t>(wide);
  if (parse_id(text) != expected) finding("parse_id differs from strtol", text);
}

bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr double kZero = 0.0;

const char* skip_space_and_sign(const char* text) {
  while (is_c_space(*text)) ++text;
  if (*text == '+' || *text == '-') ++text;
  return text;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

void check_real(const char* text) {
  double value = parse_real(text);
  const char* number = skip_space_and_sign(text);
  // strtod also reads hexadecimal numbers, infinities and NaNs, which are
  // not numbers of the initialization string; without a digit or a point
  // there is no number to read.
  bool may_be_number = is_digit(*number) || *number == '.';
  if (!may_be_number || (number[0] == '0' && (number[1] == 'x' || number[1] == 'X'))) {
    if (!may_be_number && std::memcmp(&value, &kZero, sizeof value) != 0) {
      finding("parse_real read a number where there is none", text);
    }
    return;
  }
  static std::string mapped;  // kept between calls: no allocation per token
  mapped.assign(text);
  for (char& c : mapped) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  double expected = std::strtod(mapped.c_str(), nullptr);
  if (std::memcmp(&value, &expected, sizeof value) != 0) {
    finding("parse_real differs from strtod", text);
  }
}

bool is_delimiter(char c) { return c == ',' || c == ';' || c == '\n'; }
bool is_quote(char c) { return c == '"' || c == '\''; }

// Cuts the whole text and checks every call: tokens and the cursor stay in
// the text, the cursor never moves back, only zeros are written and only
// over delimiters and closing quotes, an unquoted token holds no delimiter,
// and the end of the text gives the empty token for good.
void check_tokens(char* buffer, const std::string& original) {
  char* const end = buffer + std::strlen(buffer);
  char* cursor = buffer;
  for (std::size_t call = 0;; ++call) {
    if (call > original.size() + 1) finding("the tokenizer does not reach the end", buffer);
    char* before = cursor;
    char* token = next_token(&cursor);
    if (cursor < before || cursor > end) finding("cursor out of order", original.c_str());
    if (token < buffer || token > end) finding("token outside the text", original.c_str());
    std::size_t at = static_cast<std::size_t>(token - buffer);
    bool quoted = at > 0 && is_quote(original[at - 1]) && token - 1 >= before;
    for (const char* c = token; !quoted && *c != '\0'; ++c) {
      if (is_delimiter(*c)) finding("delimiter inside an unquoted token", original.c_str());
    }
    check_id(token);
    check_real(token);
    if (*token == '\0' && cursor == end) break;
  }
  if (next_token(&cursor) != end || cursor != end) finding("the end does not last", buffer);
  for (std::size_t at = 0; at < original.size() && buffer + at < end; ++at) {
    char was = original[at];
    if (buffer[at] != was && (buffer[at] != '\0' || !(is_delimiter(was) || is_quote(was)))) {
      finding("the tokenizer wrote where it may not", original.c_str());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exact-size heap copies, so a read past the terminating zero shows.
  std::string original(reinterpret_cast<const char*>(data), size);
  original.resize(std::strlen(original.c_str()));
  std::unique_ptr<char[]> buffer(new char[original.size() + 1]);
  std::memcpy(buffer.get(), original.c_str(), original.size() + 1);
  check_id(buffer.get());
  check_real(buffer.get());
  check_tokens(buffer.get(), original);
  return 0;
}
