// Numbers of the initialization string, read the same whatever the host
// process's locale and whatever the width of long.
#pragma once

#include <cstdint>

// A tag's number: strtol with base 0, clamped to the 32-bit range. When
// `end` is given it receives where the number stopped, `text` itself when
// there was none.
std::int32_t parse_id(const char* text, const char** end = nullptr);

// A real value: optional sign, digits with at most one full stop, an optional
// exponent after e, E, d or D; 0.0 when the text does not begin with one.
// `end` as for parse_id.
double parse_real(const char* text, const char** end = nullptr);
