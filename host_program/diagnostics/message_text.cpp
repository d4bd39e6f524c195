#include "diagnostics/message_text.h"

#include <cstdarg>

namespace {

// Tokens longer than this are shown cut.
constexpr std::size_t SHOWN_TOKEN = 60;

}  // namespace

MessageText message_text(char* buffer, std::size_t size) {
  if (size > 0) buffer[0] = '\0';
  return {buffer, size, 0};
}

namespace {

void append_char(MessageText& text, char c) {
  if (text.Length + 1 >= text.Size) return;
  text.Data[text.Length++] = c;
  text.Data[text.Length] = '\0';
}

void append_digits(MessageText& text, unsigned value, unsigned base, int width) {
  char digits[12];
  int count = 0;
  do {
    digits[count++] = "0123456789abcdef"[value % base];
    value /= base;
  } while (value != 0);
  for (; count < width; --width) append_char(text, '0');
  while (count > 0) append_char(text, digits[--count]);
}

}  // namespace

// A formatter of its own, for the few conversions the texts use (%d, %s, %c,
// %x with a zero-padded width, %%): the same text on every target, and no
// part of the C runtime's printf in the driver.
void append_text(MessageText& text, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  // The analyzer loses va_start's initialisation through the macro.
  // NOLINTBEGIN(clang-analyzer-valist.Uninitialized)
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      append_char(text, *p);
      continue;
    }
    int width = 0;
    for (++p; *p >= '0' && *p <= '9'; ++p) width = width * 10 + (*p - '0');
    switch (*p) {
      case 'd': {
        int value = va_arg(arguments, int);
        if (value < 0) append_char(text, '-');
        append_digits(text,
                      value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value),
                      10, width);
        break;
      }
      case 'x':
        append_digits(text, va_arg(arguments, unsigned), 16, width);
        break;
      case 'c':
        append_char(text, static_cast<char>(va_arg(arguments, int)));
        break;
      case 's':
        for (const char* s = va_arg(arguments, const char*); *s != '\0'; ++s) append_char(text, *s);
        break;
      default:
        append_char(text, '%');
        if (*p == '\0') --p;
        break;
    }
  }
  // NOLINTEND(clang-analyzer-valist.Uninitialized)
  va_end(arguments);
}

bool append_control_escape(MessageText& text, unsigned char c) {
  if (c == '\n' || c == '\r' || c == '\t') {
    append_text(text, "\\%c", c == '\n' ? 'n' : (c == '\r' ? 'r' : 't'));
  } else if (c < 0x20 || c == 0x7f) {
    append_text(text, "\\x%02x", c);
  } else {
    return false;
  }
  return true;
}

void append_token(MessageText& text, const char* token) {
  append_text(text, "\"");
  std::size_t shown = 0;
  for (const char* p = token; *p != '\0'; ++p, ++shown) {
    if (shown == SHOWN_TOKEN) {
      append_text(text, "...");
      break;
    }
    auto c = static_cast<unsigned char>(*p);
    if (append_control_escape(text, c)) continue;
    if (c == '"' || c == '\\') append_char(text, '\\');
    append_char(text, static_cast<char>(c));
  }
  append_text(text, "\"");
}
