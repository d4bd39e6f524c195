#include "catalogue/numbers.h"

#include <fast_float/fast_float.h>

#include <cstddef>

// Both readers work on the text's own grammar, byte by byte, so neither the
// process's locale nor the width of long changes a result.

namespace {

// White space as the "C" locale knows it.
bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The value of a digit in bases up to 16; 16 for any other character.
unsigned digit_value(char c) {
  if (is_digit(c)) return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return 16;
}

const char* skip_space(const char* p) {
  while (is_space(*p)) ++p;
  return p;
}

// Significant digits kept of a long mantissa. Every boundary between two
// neighbouring doubles has at most 767 significant digits, so the kept digits
// plus one sticky nonzero digit for whatever nonzero was dropped round
// exactly as the whole run would.
constexpr int KEPT_DIGITS = 800;

// Exponents beyond this lie far outside the range of a double whatever the
// mantissa; reading saturates here so the sum below cannot overflow.
constexpr long long EXPONENT_LIMIT = 1000000000;

// Any exponent beyond this, with at most KEPT_DIGITS + 1 digits, lies
// outside the range of a double just the same.
constexpr long long WRITTEN_EXPONENT_LIMIT = 99999;

// Writes the exponent in decimal at `out`, clamped; returns its end.
char* write_exponent(char* out, long long exponent) {
  if (exponent < 0) *out++ = '-';
  long long magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude > WRITTEN_EXPONENT_LIMIT) magnitude = WRITTEN_EXPONENT_LIMIT;
  char reversed[8];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count > 0) *out++ = reversed[--count];
  return out;
}

}  // namespace

std::int32_t parse_id(const char* text, const char** number_end) {
  const char* p = skip_space(text);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  unsigned base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digit_value(p[2]) < 16) {
    base = 16;
    p += 2;
  } else if (p[0] == '0') {
    base = 8;
  }
  // Accumulates until the magnitude passes 2^31, beyond which every value
  // clamps to the same limit.
  constexpr unsigned long long SATURATED = 1ull << 31;
  unsigned long long magnitude = 0;
  const char* first_digit = p;
  for (unsigned digit = digit_value(*p); digit < base; digit = digit_value(*++p)) {
    if (magnitude <= SATURATED) magnitude = magnitude * base + digit;
  }
  if (number_end != nullptr) *number_end = p != first_digit ? p : text;
  if (negative) {
    return magnitude >= SATURATED ? INT32_MIN : -static_cast<std::int32_t>(magnitude);
  }
  return magnitude >= SATURATED ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

double parse_real(const char* text, const char** number_end) {
  const char* p = skip_space(text);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }

  // The mantissa as an integer of significant digits times 10^exponent.
  char digits[KEPT_DIGITS + 32];
  int kept = 0;
  bool dropped_nonzero = false;
  bool any_digit = false;
  bool seen_point = false;
  long long exponent = 0;
  for (;; ++p) {
    if (is_digit(*p)) {
      any_digit = true;
      if (kept == 0 && *p == '0') {
        if (seen_point) --exponent;
      } else if (kept < KEPT_DIGITS) {
        digits[kept++] = *p;
        if (seen_point) --exponent;
      } else {
        if (*p != '0') dropped_nonzero = true;
        if (!seen_point) ++exponent;
      }
    } else if (*p == '.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  if (number_end != nullptr) *number_end = any_digit ? p : text;
  if (!any_digit) return 0.0;

  // An exponent counts only with at least one digit after its letter.
  if (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D') {
    const char* q = p + 1;
    bool negative_exponent = false;
    if (*q == '+' || *q == '-') {
      negative_exponent = *q == '-';
      ++q;
    }
    long long written = 0;
    for (; is_digit(*q); ++q) {
      if (written < EXPONENT_LIMIT) written = written * 10 + (*q - '0');
    }
    exponent += negative_exponent ? -written : written;
    if (number_end != nullptr && is_digit(q[-1])) *number_end = q;
  }
  if (kept == 0) return negative ? -0.0 : 0.0;

  if (dropped_nonzero) {
    digits[kept++] = '1';
    --exponent;
  }
  char* end = digits + kept;
  *end++ = 'e';
  end = write_exponent(end, exponent);

  // fast_float is correctly rounded, locale-free and needs no runtime
  // support: a value beyond the range of a double reads as infinity, one
  // below it as zero.
  double value = 0.0;
  fast_float::from_chars(digits, end, value);
  return negative ? -value : value;
}
