// Cuts the initialization string into tokens, in place.
#pragma once

// The blanks skipped around a token: exactly these characters. A line feed
// is both a blank and a delimiter.
inline bool is_blank(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

// Returns the next token of the text at *cursor and advances the cursor. At
// the end of the text it returns the empty token, again on every call.
char* next_token(char** cursor);
