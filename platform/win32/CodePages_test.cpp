// The Windows code pages: the system's numbers and its translations, applied
// to whole texts with their NUL bytes.
#include "platform/CodePages.h"

#include "platform/win32/WindowsApi.h"

#include <gtest/gtest.h>

namespace {

TEST(Win32CodePages, TranslatesLikeTheSystemCalls) {
  std::string ansi;
  for (int b = 1; b < 256; ++b)
    ansi += static_cast<char>(b);
  std::string expected(ansi.size() + 1, '\0');
  ::CharToOemA(ansi.c_str(), expected.data());
  expected.resize(ansi.size());
  EXPECT_EQ(PlatformCodePages().CharToOem(ansi), expected);

  std::string back(ansi.size() + 1, '\0');
  ::OemToCharA(ansi.c_str(), back.data());
  back.resize(ansi.size());
  EXPECT_EQ(PlatformCodePages().OemToChar(ansi), back);
}

TEST(Win32CodePages, LongTextsAndNulBytesAreKept) {
  std::string text(1000, '\xE9');
  text[10] = '\0';
  text[999] = '\0';
  std::string oem = PlatformCodePages().CharToOem(text);
  ASSERT_EQ(oem.size(), text.size());
  EXPECT_EQ(oem[10], '\0');
  EXPECT_EQ(oem[999], '\0');
  char one[2] = {};
  ::CharToOemA("\xE9", one);
  EXPECT_EQ(oem[500], one[0]);
  EXPECT_EQ(oem[998], one[0]);
}

} // namespace
