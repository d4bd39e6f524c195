#include <gtest/gtest.h>
// Numbers of the initialization string: a tag's Id and its real values.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "catalogue/numbers.h"
#include "comma_locale.h"
#include "number_cases.h"

namespace {

TEST(TagId, ReadsLikeStrtolInBaseZeroClampedTo32Bits) {
  for (const IdCase& c : id_cases())
    EXPECT_EQ(parse_id(c.text.c_str()), c.id) << '"' << c.text << '"';
}

TEST(RealValue, ReadsSignDigitsPointAndAnEDExponent) {
  for (const RealCase& c : real_form_cases()) {
    double value = parse_real(c.text.c_str());
    EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << '"' << c.text << '"';
  }
  EXPECT_FALSE(std::signbit(parse_real("-")));
}

TEST(RealValue, IsCorrectlyRoundedWhateverTheDigitCount) {
  for (const RealCase& c : rounding_cases()) {
    EXPECT_EQ(parse_real(c.text.c_str()), c.value) << '"' << c.text.substr(0, 40) << '"';
  }
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
