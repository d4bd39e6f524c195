// How the initialization string's numbers read: a tag's Id and a real value,
// as text and the value it must give. The number tests read them directly;
// the suite for the Windows DLL reads the same through DCSLoad.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

struct IdCase {
  std::string text;
  std::int32_t id;
};

struct RealCase {
  std::string text;
  double value;
};

// strtol in base 0, clamped to 32 bits.
inline std::vector<IdCase> id_cases() {
  // clang-format off
  return {
      {"0x1F", 31}, {"010", 8}, {"-5", -5}, {"12abc", 12}, {"abc", 0}, {"", 0}, {" \t\v+42", 42},
      {"0X7fffffff", INT32_MAX}, {"-0x80000000", INT32_MIN}, {"0x", 0}, {"0xg", 0}, {"08", 0},
      {"- 5", 0}, {"2147483648", INT32_MAX}, {"-2147483649", INT32_MIN}, {"4294967296", INT32_MAX},
      {"-4294967297", INT32_MIN}, {"0x1FFFFFFFFFFFFFFFFFFFF", INT32_MAX}, {"0x1a", 26},
      {"0xA0", 160}, {"0xa", 10}, {"\r12", 12}};
  // clang-format on
}

// Sign, digits, one full stop and an exponent after e, E, d or D.
inline std::vector<RealCase> real_form_cases() {
  // clang-format off
  return {
      {"1.5", 1.5}, {" \n-2.5e3", -2500.0}, {"1.5d3", 1500.0}, {"1.5D-3", 0.0015}, {"+.5", 0.5},
      {"5.", 5.0}, {"1e", 1.0}, {"1E+", 1.0}, {"2e+2x", 200.0}, {"1.2.3", 1.2}, {"1,5", 1.0},
      {"abc", 0.0}, {"", 0.0}, {".", 0.0}, {"-", 0.0}, {"inf", 0.0}, {"nan", 0.0},
      {"infinity", 0.0}, {"0x1p3", 0.0}, {"1e309", HUGE_VAL}, {"-1e309", -HUGE_VAL},
      {"1e-400", 0.0}, {"1e99999999999999999999", HUGE_VAL}, {"0e99999999999", 0.0},
      {"-0", -0.0}};
  // clang-format on
}

// Correctly rounded, whatever the number of digits.
inline std::vector<RealCase> rounding_cases() {
  const std::string zeros(1000, '0');
  // Halfway between 1 and the next double: ties go to even, anything more up.
  const std::string half = "1.00000000000000011102230246251565404236316680908203125";
  const double above_one = 1.0000000000000002;
  return {{half, 1.0},
          {half + zeros, 1.0},
          {half + zeros + "1", above_one},
          {half + "1" + zeros, above_one},
          {"9007199254740993" + zeros + "e-1000", 9007199254740992.0},
          {"9007199254740993." + zeros + "1", 9007199254740994.0},
          {"0." + zeros + "1e1010", 1e9},
          {"0.1", 0.1},
          {"2.2250738585072011e-308", 2.2250738585072011e-308},
          {"1.7976931348623157e308", std::numeric_limits<double>::max()},
          {"1.7976931348623159e308", HUGE_VAL},
          {"1e-320", 1e-320},
          {"2.4703282292062328e-324", std::numeric_limits<double>::denorm_min()},
          {"2.4703282292062327e-324", 0.0}};
}
