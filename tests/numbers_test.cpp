#include <gtest/gtest.h>
// Numbers of the initialization string: a tag's Id and its real values.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "catalogue/numbers.h"
#include "comma_locale.h"

namespace {

TEST(TagId, ReadsLikeStrtolInBaseZeroClampedTo32Bits) {
  // clang-format off
  const struct {
    const char* text;
    std::int32_t id;
  } cases[] = {
      {"0x1F", 31}, {"010", 8}, {"-5", -5}, {"12abc", 12}, {"abc", 0}, {"", 0}, {" \t\v+42", 42},
      {"0X7fffffff", INT32_MAX}, {"-0x80000000", INT32_MIN}, {"0x", 0}, {"0xg", 0}, {"08", 0},
      {"- 5", 0}, {"2147483648", INT32_MAX}, {"-2147483649", INT32_MIN}, {"4294967296", INT32_MAX},
      {"-4294967297", INT32_MIN}, {"0x1FFFFFFFFFFFFFFFFFFFF", INT32_MAX}};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(parse_id(c.text), c.id) << '"' << c.text << '"';
}

TEST(RealValue, ReadsSignDigitsPointAndAnEDExponent) {
  // clang-format off
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"1.5", 1.5}, {" \n-2.5e3", -2500.0}, {"1.5d3", 1500.0}, {"1.5D-3", 0.0015}, {"+.5", 0.5},
      {"5.", 5.0}, {"1e", 1.0}, {"1E+", 1.0}, {"2e+2x", 200.0}, {"1.2.3", 1.2}, {"1,5", 1.0},
      {"abc", 0.0}, {"", 0.0}, {".", 0.0}, {"-", 0.0}, {"inf", 0.0}, {"nan", 0.0},
      {"infinity", 0.0}, {"0x1p3", 0.0}, {"1e309", HUGE_VAL}, {"-1e309", -HUGE_VAL},
      {"1e-400", 0.0}, {"1e99999999999999999999", HUGE_VAL}, {"0e99999999999", 0.0}};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(parse_real(c.text), c.value) << '"' << c.text << '"';
  EXPECT_TRUE(std::signbit(parse_real("-0")));
  EXPECT_FALSE(std::signbit(parse_real("-")));
}

TEST(RealValue, IsCorrectlyRoundedWhateverTheDigitCount) {
  const std::string zeros(1000, '0');
  // Halfway between 1 and the next double: ties go to even, anything more up.
  const std::string half = "1.00000000000000011102230246251565404236316680908203125";
  const double above_one = 1.0000000000000002;
  EXPECT_EQ(parse_real(half.c_str()), 1.0);
  EXPECT_EQ(parse_real((half + zeros).c_str()), 1.0);
  EXPECT_EQ(parse_real((half + zeros + "1").c_str()), above_one);
  EXPECT_EQ(parse_real((half + "1" + zeros).c_str()), above_one);
  EXPECT_EQ(parse_real(("9007199254740993" + zeros + "e-1000").c_str()), 9007199254740992.0);
  EXPECT_EQ(parse_real(("9007199254740993." + zeros + "1").c_str()), 9007199254740994.0);
  EXPECT_EQ(parse_real(("0." + zeros + "1e1010").c_str()), 1e9);
  EXPECT_EQ(parse_real("0.1"), 0.1);
  EXPECT_EQ(parse_real("2.2250738585072011e-308"), 2.2250738585072011e-308);
  EXPECT_EQ(parse_real("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(parse_real("1.7976931348623159e308"), HUGE_VAL);
  EXPECT_EQ(parse_real("1e-320"), 1e-320);
  EXPECT_EQ(parse_real("2.4703282292062328e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(parse_real("2.4703282292062327e-324"), 0.0);
}

TEST(CommaLocale, LeavesTheFullStopTheDecimalPoint) {
  CommaLocale locale;
  ASSERT_TRUE(locale.active());
  EXPECT_EQ(parse_real("1.5"), 1.5);
  EXPECT_EQ(parse_real("-2.25d2"), -225.0);
  EXPECT_EQ(parse_real("1,5"), 1.0);
  EXPECT_EQ(parse_id(" 0x1F"), 31);
}

}  // namespace
