// Code page names and numbers, and legacy text decoded to UTF-8 by this
// platform's converter.
#include "base/Utf8.h"
#include "platform/Charsets.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePageNames, CommonNamesGiveTheWindowsNumbers) {
  const struct {
    const char *Name;
    uint32_t Number;
  } cases[] = {{"1250", 1250},         {"cp1250", 1250},  {"CP 852", 852},
               {"windows-1251", 1251}, {"IBM866", 866},   {"iso-8859-2", 28592},
               {"ISO_8859-15", 28605}, {"latin1", 28591}, {"koi8-r", 20866},
               {"Shift_JIS", 932},     {"utf-8", 65001},  {"iso-8859-12", 0},
               {"klingon", 0},         {"cp", 0},         {"", 0},
               {"cp99999999", 0}};
  for (const auto &c : cases)
    EXPECT_EQ(CodePageNumber(c.Name), c.Number) << c.Name;
}

TEST(DecodeCodePage, LegacyBytesBecomeUtf8) {
  const struct {
    const char *CodePage;
    std::string Bytes;
    std::string Utf8;
  } cases[] = {
      {"1250", "\x9A\xE8 a", "šč a"},
      {"cp1250", "\x8A", "Š"},
      {"iso-8859-2", "\xB9\xE8", "šč"},
      {"852", "\xE7\x9F", "šč"},
      {"windows-1251", "\xCF\xF0", "Пр"},
      {"koi8-r", "\xF0\xD2", "Пр"},
      {"1252", std::string("\x80\0x", 3), std::string("€\0x", 5)},
  };
  for (const auto &c : cases) {
    std::string utf8;
    ASSERT_TRUE(DecodeCodePage(c.Bytes, c.CodePage, utf8)) << c.CodePage;
    EXPECT_EQ(utf8, c.Utf8) << c.CodePage;
  }
  // Bytes that are no UTF-8 in text said to be UTF-8 never come out as they
  // went in, sequences beyond U+10FFFF included.
  std::string utf8;
  ASSERT_TRUE(DecodeCodePage("a\xF5\xBE\x93\x93"
                             "b\xC0\xAF",
                             "UTF-8", utf8));
  size_t invalid = 0;
  RepairUtf8(utf8, invalid);
  EXPECT_EQ(invalid, 0u) << utf8;
  EXPECT_EQ(utf8.substr(0, 1), "a");
  EXPECT_NE(utf8.find('b'), std::string::npos);
  std::string untouched = "kept";
  EXPECT_FALSE(DecodeCodePage("x", "klingon", untouched));
  EXPECT_EQ(untouched, "kept");
}

} // namespace
