// The integer and float readers: clean values and what a value that does not
// read cleanly still yields.
#include "script/NumberReaders.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace {

void ExpectInteger(std::string_view text, int32_t value, bool clean) {
  TNumberRead<int32_t> read = ReadInteger(text);
  EXPECT_EQ(read.Value, value) << '"' << text << '"';
  EXPECT_EQ(read.Clean, clean) << '"' << text << '"';
}

void ExpectFloat(std::string_view text, double value, bool clean) {
  TNumberRead<double> read = ReadFloat(text);
  EXPECT_DOUBLE_EQ(read.Value, value) << '"' << text << '"';
  EXPECT_EQ(read.Clean, clean) << '"' << text << '"';
}

TEST(IntegerReader, ReadsDecimalAndHexadecimal) {
  ExpectInteger("12", 12, true);
  ExpectInteger("   12", 12, true);
  ExpectInteger("+7", 7, true);
  ExpectInteger("-250", -250, true);
  ExpectInteger("007", 7, true);
  ExpectInteger("$1F", 31, true);
  ExpectInteger("$1f", 31, true);
  ExpectInteger("  $ff", 255, true);
}

TEST(IntegerReader, LimitsOf32Bits) {
  ExpectInteger("2147483647", 2147483647, true);
  ExpectInteger("-2147483648", INT32_MIN, true);
  ExpectInteger("$FFFFFFFF", -1, true);
  ExpectInteger("$80000000", INT32_MIN, true);
  ExpectInteger("$000000001", 1, true);
  // Overflow does not read cleanly and yields 0.
  ExpectInteger("2147483648", 0, false);
  ExpectInteger("-2147483649", 0, false);
  ExpectInteger("99999999999999999999999", 0, false);
  ExpectInteger("$100000000", 0, false);
}

TEST(IntegerReader, NotCleanKeepsDigitsBeforeTheBadByteWithoutSign) {
  ExpectInteger("12 apples", 12, false);
  ExpectInteger("12 ", 12, false);
  ExpectInteger("-12x", 12, false);
  ExpectInteger("1x", 1, false);
  ExpectInteger("$1Fz", 31, false);
  ExpectInteger("-$1F", 0, false);
  ExpectInteger("+$1F", 0, false);
  ExpectInteger("\t12", 0, false);
  ExpectInteger("", 0, false);
  ExpectInteger("   ", 0, false);
  ExpectInteger("-", 0, false);
  ExpectInteger("$", 0, false);
  ExpectInteger("ANSI", 0, false);
  ExpectInteger("0x10", 0, false);
  ExpectInteger("400}", 400, false);
  ExpectInteger(";", 0, false);
}

TEST(FloatReader, ReadsDecimalNumbers) {
  ExpectFloat("25", 25.0, true);
  ExpectFloat("29.97", 29.97, true);
  ExpectFloat("  23.976", 23.976, true);
  ExpectFloat("-1.5", -1.5, true);
  ExpectFloat("+2.5", 2.5, true);
  ExpectFloat("2.5e1", 25.0, true);
  ExpectFloat("25E-1", 2.5, true);
  ExpectFloat("5.", 5.0, true);
  ExpectFloat(".5", 0.5, true);
}

TEST(FloatReader, NotCleanGivesTheMantissaDigitsAsAWholeNumber) {
  ExpectFloat("25fps", 25.0, false);
  ExpectFloat("29,97", 29.0, false);
  ExpectFloat("29.97 fps", 2997.0, false);
  ExpectFloat("-29.9x", 299.0, false);
  ExpectFloat("1e", 1.0, false);
  ExpectFloat("1e+", 1.0, false);
  ExpectFloat("", 0.0, false);
  ExpectFloat(".", 0.0, false);
  ExpectFloat("\t25", 0.0, false);
  ExpectFloat("25 ", 25.0, false);
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
