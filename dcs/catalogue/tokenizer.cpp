#include "catalogue/tokenizer.h"

namespace {

bool is_delimiter(char c) { return c == ',' || c == ';' || c == '\n'; }
bool is_quote(char c) { return c == '"' || c == '\''; }

char* skip_blanks(char* p) {
  while (is_blank(*p)) ++p;
  return p;
}

}  // namespace

char* next_token(char** cursor) {
  char* p = skip_blanks(*cursor);
  char* token = p;
  char* quote_end = nullptr;  // where quoted text of one or more characters ends
  if (is_quote(*p)) {
    // Quoted text runs to the same quote or to the end of the text; inside it
    // delimiters, blanks and the other quote are ordinary characters. Empty
    // quoted text gets no terminator, so the token starts at the closing quote
    // and is never empty.
    const char quote = *p;
    token = p + 1;
    p = token;
    while (*p != '\0' && *p != quote) ++p;
    if (p != token) quote_end = p;
  }
  while (*p != '\0' && !is_delimiter(*p)) ++p;
  if (*p != '\0') {
    *p = '\0';
    p = skip_blanks(p + 1);
  }
  *cursor = p;
  // Whatever stood between the closing quote and the delimiter is dropped.
  if (quote_end != nullptr) *quote_end = '\0';
  return token;
}
