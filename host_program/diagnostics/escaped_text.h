// How every text of the diagnostics and the desk tool shows a text of a case
// or a string: control characters escaped, so that no such text can start a
// line of its own, and tokens quoted.
#pragma once

#include <string>
#include <string_view>

// A control character (below 0x20, and 0x7f) as \n, \r, \t or \xNN; empty
// for any other byte, which is shown as it is.
std::string control_escape(char c);

// The text with every control character escaped.
std::string escaped(std::string_view text);

// A token in double quotes, control characters escaped, a quote or a
// backslash after a backslash, and a long token cut with "...".
std::string quoted_token(std::string_view token);
