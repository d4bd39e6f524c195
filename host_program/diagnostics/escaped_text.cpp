#include "diagnostics/escaped_text.h"

#include <cstddef>

namespace {

// Tokens longer than this are shown cut.
constexpr std::size_t SHOWN_TOKEN = 60;

}  // namespace

std::string control_escape(char c) {
  auto byte = static_cast<unsigned char>(c);
  if (c == '\n') return "\\n";
  if (c == '\r') return "\\r";
  if (c == '\t') return "\\t";
  if (byte >= 0x20 && byte != 0x7f) return {};
  const char* digits = "0123456789abcdef";
  return {'\\', 'x', digits[byte / 16], digits[byte % 16]};
}

std::string escaped(std::string_view text) {
  std::string shown;
  for (char c : text) {
    std::string escape = control_escape(c);
    if (escape.empty()) {
      shown += c;
    } else {
      shown += escape;
    }
  }
  return shown;
}

std::string quoted_token(std::string_view token) {
  bool cut = token.size() > SHOWN_TOKEN;
  std::string shown = "\"";
  for (char c : token.substr(0, SHOWN_TOKEN)) {
    std::string escape = control_escape(c);
    if (!escape.empty()) {
      shown += escape;
      continue;
    }
    if (c == '"' || c == '\\') shown += '\\';
    shown += c;
  }
  return shown + (cut ? "...\"" : "\"");
}
