// UTF-8 sequences accepted and refused, and UTF-16 with broken surrogates.
#include "base/Utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Text, WellFormedSequencesOnly) {
  const struct {
    std::string Bytes;
    size_t Length;
  } cases[] = {
      {"a", 1},        {"\xC3\xA9", 2},     {"\xE2\x82\xAC", 3}, {"\xF0\x9F\x98\x80", 4},
      {"\xC0\xAF", 0}, {"\xE0\x80\xAF", 0}, {"\xED\xA0\x80", 0}, {"\xF4\x90\x80\x80", 0},
      {"\xE2\x82", 0}, {"\x80", 0},         {"\xFF", 0},         {"\xC3(", 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Utf8SequenceLength(c.Bytes, 0), c.Length) << c.Bytes;
  size_t replaced = 0;
  EXPECT_EQ(RepairUtf8("a\xE2\x82z\xC3\xA9", replaced), "a\xEF\xBF\xBD\xEF\xBF\xBDz\xC3\xA9");
  EXPECT_EQ(replaced, 2u);
}

TEST(Utf8Text, UnpairedSurrogatesAreReplaced) {
  size_t replaced = 0;
  // A low surrogate alone, a high one before a letter, a high one at the end.
  const std::string units("\xDC\x00\xD8\x00\x00\x41\xD8\x00", 8);
  EXPECT_EQ(Utf16ToUtf8(units, true, replaced), "\xEF\xBF\xBD\xEF\xBF\xBD"
                                                "A\xEF\xBF\xBD");
  EXPECT_EQ(replaced, 3u);
}

TEST(Utf8Text, Utf32OutOfRangeSurrogatesAndAShortTailAreReplaced) {
  size_t replaced = 0;
  // U+00E9, a surrogate, 0x110000, U+1F600, then two bytes of a unit.
  const std::string units("\x00\x00\x00\xE9\x00\x00\xD8\x00\x00\x11\x00\x00"
                          "\x00\x01\xF6\x00\x00\x00",
                          18);
  EXPECT_EQ(Utf32ToUtf8(units, true, replaced), "\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD"
                                                "\xF0\x9F\x98\x80\xEF\xBF\xBD");
  EXPECT_EQ(replaced, 3u);
}

} // namespace
