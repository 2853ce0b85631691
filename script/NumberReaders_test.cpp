// The integer and float readers: clean values and what a value that does not
// read cleanly still yields.
#include "script/NumberReaders.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace {

template <class T> struct TCase {
  std::string_view Text;
  T Value;
  bool Clean;
};

TEST(IntegerReader, ReadsTheTable) {
  const TCase<int32_t> cases[] = {
      // Decimal and hexadecimal.
      {"12", 12, true},
      {"   12", 12, true},
      {"+7", 7, true},
      {"-250", -250, true},
      {"007", 7, true},
      {"$1F", 31, true},
      {"$1f", 31, true},
      {"  $ff", 255, true},
      // The limits of 32 bits.
      {"2147483647", 2147483647, true},
      {"-2147483648", INT32_MIN, true},
      {"$FFFFFFFF", -1, true},
      {"$80000000", INT32_MIN, true},
      {"$000000001", 1, true},
      // Overflow does not read cleanly and yields 0.
      {"2147483648", 0, false},
      {"-2147483649", 0, false},
      {"99999999999999999999999", 0, false},
      {"$100000000", 0, false},
      // Not clean: the digits before the bad byte, without sign.
      {"12 apples", 12, false},
      {"12 ", 12, false},
      {"-12x", 12, false},
      {"1x", 1, false},
      {"$1Fz", 31, false},
      {"-$1F", 0, false},
      {"+$1F", 0, false},
      {"\t12", 0, false},
      {"", 0, false},
      {"   ", 0, false},
      {"-", 0, false},
      {"$", 0, false},
      {"ANSI", 0, false},
      {"0x10", 0, false},
      {"400}", 400, false},
      {";", 0, false},
  };
  for (const auto &c : cases) {
    TNumberRead<int32_t> read = ReadInteger(c.Text);
    EXPECT_EQ(read.Value, c.Value) << '"' << c.Text << '"';
    EXPECT_EQ(read.Clean, c.Clean) << '"' << c.Text << '"';
  }
}

void ExpectFloat(std::string_view text, double value, bool clean) {
  TNumberRead<double> read = ReadFloat(text);
  EXPECT_DOUBLE_EQ(read.Value, value) << '"' << text << '"';
  EXPECT_EQ(read.Clean, clean) << '"' << text << '"';
}

TEST(FloatReader, ReadsTheTable) {
  const TCase<double> cases[] = {
      // Decimal numbers.
      {"25", 25.0, true},
      {"29.97", 29.97, true},
      {"  23.976", 23.976, true},
      {"-1.5", -1.5, true},
      {"+2.5", 2.5, true},
      {"2.5e1", 25.0, true},
      {"25E-1", 2.5, true},
      {"5.", 5.0, true},
      {".5", 0.5, true},
      // Not clean: the mantissa digits as one whole number.
      {"25fps", 25.0, false},
      {"29,97", 29.0, false},
      {"29.97 fps", 2997.0, false},
      {"-29.9x", 299.0, false},
      {"1e", 1.0, false},
      {"1e+", 1.0, false},
      {"", 0.0, false},
      {".", 0.0, false},
      {"\t25", 0.0, false},
      {"25 ", 25.0, false},
  };
  for (const auto &c : cases)
    ExpectFloat(c.Text, c.Value, c.Clean);
}

TEST(FloatReader, ExtremeExponentsStayDefined) {
  TNumberRead<double> huge = ReadFloat("1e999999999999");
  EXPECT_TRUE(huge.Clean);
  EXPECT_TRUE(std::isinf(huge.Value) && huge.Value > 0);
  ExpectFloat("-1e400", -HUGE_VAL, true);
  ExpectFloat("1e-400", 0.0, true);
  ExpectFloat("0." + std::string(400, '0') + "1", 0.0, true);
  ExpectFloat(std::string(400, '9'), HUGE_VAL, true);
}

} // namespace
