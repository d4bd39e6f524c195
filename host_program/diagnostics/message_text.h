// Messages assembled into a caller's buffer with a small formatter of the
// driver's own, and the one way every text of the diagnostics shows a
// control character.
#pragma once

#include <cstddef>

// A message assembled into a caller's buffer, cut when the buffer is full and
// always zero-terminated.
struct MessageText {
  char* Data;
  std::size_t Size;    // bytes at Data, the terminating zero included
  std::size_t Length;  // characters written so far
};

MessageText message_text(char* buffer, std::size_t size);
void append_text(MessageText& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A control character (below 0x20, and 0x7f) is shown as \n, \r, \t or \xNN,
// so that no text of a case or a string can start a line of its own. Appends
// that escape and returns true for a control character; appends nothing and
// returns false for any other byte, which is shown as it is.
bool append_control_escape(MessageText& text, unsigned char c);

// A token in double quotes, control characters escaped, a quote or a
// backslash after a backslash, and a long token cut with "...".
void append_token(MessageText& text, const char* token);
