// Tests of the layout on very long texts: words far longer than a line are
// cut into full lines exactly as short ones are, and the work grows with the
// text's length, not with its square.
#include <ctime>

#include <gtest/gtest.h>

#include "driver/TestDriver.h"

namespace {

class LongLayoutTest : public ::testing::Test {
protected:
  std::vector<std::string> Write(const std::string &text, bool unicode) {
    T.Driver.Script = std::make_unique<TCaptel>([](const std::string &) {}, T.CodePages, T.Files);
    T.Driver.Script->UnicodeText = unicode;
    T.Output.Lines.clear();
    TText entry;
    entry.Text = text;
    const std::clock_t start = std::clock();
    T.Driver.WriteSubtitle(entry);
    Seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    return T.Output.Lines;
  }

  // `count` lines of `piece` repeated `perLine` times, each after `indent`.
  static std::vector<std::string> Repeated(size_t count, const std::string &indent,
                                           const std::string &piece, size_t perLine) {
    std::string line = indent;
    for (size_t n = 0; n < perLine; ++n)
      line += piece;
    return std::vector<std::string>(count, line);
  }

  static std::string Times(const std::string &piece, size_t n) {
    std::string text;
    text.reserve(piece.size() * n);
    for (size_t i = 0; i < n; ++i)
      text += piece;
    return text;
  }

  TTestDriver T;
  double Seconds = 0;
};

struct TLongCase {
  const char *Name;
  bool Unicode;
  std::string Speaker; // "" for none
  std::string Piece;   // one unit of the word
  size_t Units;        // the word's length in units
  size_t PerLine;      // units on each full line
  std::string Indent;  // before the units of each continuation line
};

// Two megabytes in one word: the quadratic layout took about forty seconds
// on it; a linear one takes a small fraction of one even under sanitizers.
TEST_F(LongLayoutTest, WordsOfMegabytesAreCutIntoFullLinesQuickly) {
  const std::string indent(13, ' ');
  const std::vector<TLongCase> cases = {
      {"8-bit, no speaker", false, "", "a", 2000000, 79, ""},
      // The speaker's line holds 66 units after the column, as every
      // continuation line does.
      {"8-bit after a speaker", false, "Anna:\t", "b", 2000000, 66, indent},
      // Wide characters: 33 of them fill 66 columns of each line.
      {"UTF-8 wide characters", true, "Anna:\t", "\xE4\xB8\xAD", 700000, 33, indent},
      // A letter with its combining mark is one column.
      {"UTF-8 combining marks", true, "", "e\xCC\x81", 700000, 79, ""},
  };
  for (const TLongCase &c : cases) {
    SCOPED_TRACE(c.Name);
    T.Driver.SpeakerColumn = 0;
    T.Driver.Settings.LineWidth = 79;
    const std::vector<std::string> lines = Write(c.Speaker + Times(c.Piece, c.Units), c.Unicode);
    EXPECT_LT(Seconds, 3.0);

    const size_t full = c.Units / c.PerLine, left = c.Units % c.PerLine;
    ASSERT_GT(left, 0u);
    std::vector<std::string> expected = Repeated(full, c.Indent, c.Piece, c.PerLine);
    if (!c.Speaker.empty())
      expected.front() = "Anna:" + std::string(8, ' ') + expected.front().substr(13);
    expected.push_back(c.Indent + Times(c.Piece, left) + " ");
    ASSERT_EQ(lines.size(), expected.size());
    EXPECT_TRUE(lines == expected);
  }
}

// Many words on a long line: each full line ends where the next word would
// not fit, and every word is written once, in order.
TEST_F(LongLayoutTest, LongLineOfWordsWrapsAtEveryLine) {
  T.Driver.Settings.LineWidth = 79;
  // Sixteen words and their spaces fill the 79 columns exactly, leaving no
  // room for the space after the last.
  const std::vector<std::string> lines = Write(Times("abcd ", 3000000), false);
  EXPECT_LT(Seconds, 3.0);
  ASSERT_EQ(lines.size(), 3000000u / 16);
  for (const std::string &line : lines)
    ASSERT_EQ(line, Times("abcd ", 15) + "abcd");
}

} // namespace
