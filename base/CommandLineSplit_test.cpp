// Tests of the Windows command-line splitter over a table of command lines.
#include <gtest/gtest.h>

#include "base/CommandLineSplit.h"

namespace {

struct TSplitCase {
  const char *Line;
  std::vector<std::string> Pieces;
};

const TSplitCase SplitCases[] = {
    {"", {}},
    {"   \t ", {}},
    {"prog", {"prog"}},
    {"prog a b", {"prog", "a", "b"}},
    {"prog   a\t\tb  ", {"prog", "a", "b"}},
    // Every byte from 1 to 32 separates.
    {"prog\x01"
     "a\x1f"
     "b\x0d\x0a"
     "c",
     {"prog", "a", "b", "c"}},
    {"\"C:\\Program Files\\cuestrip.exe\" s.txt", {"C:\\Program Files\\cuestrip.exe", "s.txt"}},
    {"prog \"a b\" c", {"prog", "a b", "c"}},
    // A quoted stretch joins what stands before and after it.
    {"prog a\"b c\"d", {"prog", "ab cd"}},
    {"prog \"a\"\"b\"", {"prog", "ab"}},
    {"prog a\"\"b", {"prog", "ab"}},
    // A "" pair where a piece begins is skipped like a separator.
    {"prog \"\" a", {"prog", "a"}},
    {"prog \"\"\"\" a", {"prog", "a"}},
    {"prog \"\"", {"prog"}},
    {"prog \"\"x", {"prog", "x"}},
    // An unterminated quote runs to the end of the line.
    {"prog \"a b  ", {"prog", "a b  "}},
    {"prog a \"", {"prog", "a"}},
    {"prog \" -d \"", {"prog", " -d "}},
    // Bytes above 127 are ordinary characters, not separators.
    {"prog \xe9t\xe9 \xff", {"prog", "\xe9t\xe9", "\xff"}},
};

TEST(CommandLineSplit, FollowsTheQuotingRules) {
  for (const TSplitCase &test : SplitCases)
    EXPECT_EQ(SplitCommandLine(test.Line), test.Pieces) << "[" << test.Line << "]";
}

TEST(CommandLineSplit, NulInsideTheStringEndsTheLine) {
  EXPECT_EQ(SplitCommandLine(std::string("prog a\0b", 8)), (std::vector<std::string>{"prog", "a"}));
}

TEST(CommandLineSplit, ArgumentsLeaveOutTheProgramName) {
  EXPECT_EQ(CommandLineArguments("\"my prog\" -scp /d x"),
            (std::vector<std::string>{"-scp", "/d", "x"}));
  EXPECT_TRUE(CommandLineArguments("").empty());
  EXPECT_TRUE(CommandLineArguments("prog").empty());
}

} // namespace
