// The loader's byte-level helpers: line ends and the field splitter.
#include "script/ScriptText.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> AllLines(std::string_view bytes) {
  TLineReader reader(bytes);
  std::vector<std::string> lines;
  while (!reader.Eof())
    lines.emplace_back(reader.ReadLine());
  return lines;
}

std::vector<std::string> AllFields(std::string_view text) {
  TFields fields(text);
  std::vector<std::string> out;
  for (int n = 1; n <= fields.Count(); ++n)
    out.emplace_back(fields.Field(n));
  return out;
}

using Strings = std::vector<std::string>;

TEST(ScriptLineReader, LineEnds) {
  EXPECT_EQ(AllLines("a\r\nb\rc"), (Strings{"a", "b", "c"}));
  EXPECT_EQ(AllLines("a\r\r\nb\r\n"), (Strings{"a", "", "b"}));
  EXPECT_EQ(AllLines("a\nb\n"), Strings{"a\nb\n"});
  EXPECT_EQ(AllLines("\n\r"), Strings{"\n"});
  EXPECT_EQ(AllLines(""), Strings{});
  EXPECT_EQ(AllLines("a\r\n\x1A"
                     "b\r\n"),
            Strings{"a"});
  EXPECT_EQ(AllLines(std::string_view("a\0b\r", 4)), Strings{std::string("a\0b", 3)});
}

TEST(ScriptFields, SemicolonRules) {
  EXPECT_EQ(AllFields("  T ; 250 ; x  "), (Strings{"T ", " 250 ", " x"}));
  EXPECT_EQ(AllFields("T;"), (Strings{"T", ";"}));
  EXPECT_EQ(AllFields("T;;"), (Strings{"T", "", ";"}));
  EXPECT_EQ(AllFields(";T"), (Strings{"", "T"}));
  EXPECT_EQ(AllFields(""), Strings{""});
  EXPECT_EQ(TFields("T").Field(2), "");
  EXPECT_EQ(TFields("T; 7 ").Trimmed(2), "7");
}

TEST(ScriptFields, OnlyFifteenAreRecorded) {
  std::string text = "f1";
  for (int i = 2; i <= 40; ++i)
    text += ";f" + std::to_string(i);
  TFields fields(text);
  EXPECT_EQ(fields.Count(), TFields::MaxFields);
  EXPECT_EQ(fields.Field(15), "f15");
  EXPECT_EQ(fields.Field(16), "");
}

} // namespace
