// Tests of the subtitle layout: the worked examples byte for byte, the
// speaker column, wrapping and splitting, and the cases with no room left;
// then very long texts: words far longer than a line are
// cut into full lines exactly as short ones are, and the work grows with the
// text's length, not with its square.
#include <gtest/gtest.h>

#include <ctime>
#include <optional>

#include "driver/TestDriver.h"

namespace {

std::string Spaces(size_t n) { return std::string(n, ' '); }

// The program started afresh on a console `width` + 1 columns wide, left at
// that size, so its lines are `width` wide; its script is one of its own
// format (8-bit text) or, with `unicode`, an imported UTF-8 file.
void Begin(std::optional<TTestDriver> &t, TTestPlayer &player, int width, bool unicode) {
  if (t) t->Driver.Finalize();
  t.reset();
  t.emplace();
  t->Console.BufferInfo.Size.X = static_cast<int16_t>(width + 1);
  t->Files.Add("s.txt", ScriptText({"{HEAD", "}", "{T;1", "x", "}"}));
  t->Files.Add("u.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nx\r\n");
  t->Files.Add("v.avi", "");
  t->Start({"-nd", "-ns", unicode ? "u.srt" : "s.txt", "v.avi"}, player);
}

class LayoutTest : public ::testing::Test {
protected:
  void SetUp() override { Begin(); }
  void TearDown() override { T->Driver.Finalize(); }
  void Begin(int width = 79, bool unicode = false) { ::Begin(T, Player, width, unicode); }
  std::vector<std::string> Write(const std::string &text) {
    T->Output.Lines.clear();
    TText entry;
    entry.Text = text;
    T->Driver.WriteSubtitle(entry);
    return T->Output.Lines;
  }
  // Every character of the text, in order, from the lines written for it:
  // the layout may only add spaces.
  static std::string NonSpaces(const std::string &text) {
    std::string result;
    for (char c : text)
      if (c != ' ') result += c;
    return result;
  }
  TTestPlayer Player;
  std::optional<TTestDriver> T;
};

TEST_F(LayoutTest, WorkedExamplesAtWidth30) {
  Begin(30);
  EXPECT_EQ(Write("Anna:\tWhere have you been all this time?"),
            (std::vector<std::string>{"Anna:" + Spaces(8) + "Where have you ",
                                      Spaces(13) + "been all this ", Spaces(13) + "time? "}));
  EXPECT_EQ(Write("I was waiting for the night train."),
            (std::vector<std::string>{Spaces(13) + "I was waiting for",
                                      Spaces(13) + "the night train. "}));
  EXPECT_EQ(Write("Bob:\tok, incomprehensibilities!"),
            (std::vector<std::string>{"Bob:" + Spaces(9) + "ok, incomprehensi",
                                      Spaces(13) + "bilities! "}));
}

TEST_F(LayoutTest, WorkedExampleRunOfSpacesBeforeAnySpeaker) {
  EXPECT_EQ(Write("Hello  world"), std::vector<std::string>{"Hello  world "});
  EXPECT_EQ(Write(""), std::vector<std::string>{""}) << "no speaker column yet";
}

TEST_F(LayoutTest, BeforeAnySpeakerContinuationLinesStartAtColumnOne) {
  Begin(12);
  EXPECT_EQ(Write("one two three four"), (std::vector<std::string>{"one two ", "three four "}));
}

TEST_F(LayoutTest, SpeakerSeparatorNeedsColonAndTab) {
  Begin(79);
  EXPECT_EQ(Write("Note: plain"), std::vector<std::string>{"Note: plain "});
  EXPECT_EQ(Write("a\tb:c"), std::vector<std::string>{"a\tb:c "});
  EXPECT_EQ(Write(""), std::vector<std::string>{""}) << "no speaker column yet";
  // Only the first separator counts; the second stays inside a word.
  EXPECT_EQ(Write("A:\tx:\ty"), std::vector<std::string>{"A:" + Spaces(11) + "x:\ty "});
}

TEST_F(LayoutTest, LongSpeakerIsNeitherPaddedNorCut) {
  Begin(29);
  EXPECT_EQ(Write("Bartholomew:\tHi there friend"),
            (std::vector<std::string>{"Bartholomew: Hi there friend "}));
  EXPECT_EQ(Write("Bartholomew_:\tHi there friends"),
            (std::vector<std::string>{"Bartholomew_: Hi there ", Spaces(13) + "friends "}));
}

TEST_F(LayoutTest, SpeakerLongerThanWidthStandsAloneThenWordsContinue) {
  Begin(20);
  const std::string speaker = "AVeryLongSpeakerName:";
  EXPECT_EQ(Write(speaker + "\tgo on"),
            (std::vector<std::string>{speaker + " ", Spaces(13) + "go on "}));
}

TEST_F(LayoutTest, EmptyTextsStillWriteOneLine) {
  EXPECT_EQ(Write(""), std::vector<std::string>{""});
  EXPECT_EQ(Write("Ann:\t"), std::vector<std::string>{"Ann:" + Spaces(9)});
  EXPECT_EQ(Write(""), std::vector<std::string>{Spaces(13)});
}

TEST_F(LayoutTest, LeadingAndDoubledSpacesShowOneSpaceEach) {
  EXPECT_EQ(Write("  a   b"), std::vector<std::string>{"  a   b "});
}

TEST_F(LayoutTest, WordOfExactlyContinuationWidthGetsItsOwnFullLine) {
  Begin(30);
  Write("A:\tx");
  const std::string word(17, 'w'); // 30 - 13
  EXPECT_EQ(Write("abc " + word),
            (std::vector<std::string>{Spaces(13) + "abc ", Spaces(13) + word}));
}

TEST_F(LayoutTest, SplitsAtExactlyWidthAndOneBeyond) {
  Begin(79);
  Write("A:\tx");
  // 66 fills a padded line exactly; 67 is the first length that splits.
  const std::string fits(66, 'f');
  EXPECT_EQ(Write(fits), std::vector<std::string>{Spaces(13) + fits});
  const std::string longer = std::string(66, 'a') + "b";
  EXPECT_EQ(Write(longer),
            (std::vector<std::string>{Spaces(13) + std::string(66, 'a'), Spaces(13) + "b "}));
  const std::string twice = std::string(66, 'a') + std::string(66, 'b');
  EXPECT_EQ(Write(twice), (std::vector<std::string>{Spaces(13) + std::string(66, 'a'),
                                                    Spaces(13) + std::string(66, 'b')}));
}

TEST_F(LayoutTest, SplitWordFillsALineThatHoldsOtherWords) {
  Begin(20);
  EXPECT_EQ(Write("ab abcdefghijklmnopqrstuvwxyz"),
            (std::vector<std::string>{"ab abcdefghijklmnopq", "rstuvwxyz "}));
}

TEST_F(LayoutTest, WordTooLongForTwoLinesIsCutIntoFullLines) {
  Begin(79);
  Write("A:\tx");
  const std::string word = std::string(66, 'a') + std::string(66, 'b') + std::string(10, 'c');
  EXPECT_EQ(Write(word), (std::vector<std::string>{Spaces(13) + std::string(66, 'a'),
                                                   Spaces(13) + std::string(66, 'b'),
                                                   Spaces(13) + std::string(10, 'c') + " "}));
}

TEST_F(LayoutTest, LongWordBeforeAnySpeakerIsCutAtTheWidth) {
  Begin(10);
  EXPECT_EQ(Write("abcdefghijklmnopqrstuvwxy z"),
            (std::vector<std::string>{"abcdefghij", "klmnopqrst", "uvwxy z "}));
}

TEST_F(LayoutTest, LongSpeakerFollowedByLongWordEndsWithEveryCharacter) {
  Begin(20);
  const std::string speaker = "AVeryLongSpeakerName:";
  const std::string word(30, 'x');
  const auto lines = Write(speaker + "\t" + word);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       speaker + " ", Spaces(13) + std::string(7, 'x'),
                       Spaces(13) + std::string(7, 'x'), Spaces(13) + std::string(7, 'x'),
                       Spaces(13) + std::string(7, 'x'), Spaces(13) + "xx "}));
}

TEST_F(LayoutTest, WidthNotAboveSpeakerColumnKeepsWordsWhole) {
  for (int width : {1, 5, 13}) {
    Begin(width);
    Write("A:\tx");
    const std::string text = "Ann:\tsome words and averyveryverylongword  end";
    const auto lines = Write(text);
    std::string joined;
    for (const std::string &line : lines)
      joined += line;
    EXPECT_EQ(NonSpaces(joined), NonSpaces("Ann:" + text.substr(5))) << "width " << width;
    EXPECT_LE(lines.size(), 8u) << "width " << width;
  }
  Begin(5);
  Write("A:\tx");
  EXPECT_EQ(Write("ab cd"), (std::vector<std::string>{Spaces(13) + "ab", Spaces(13) + "cd"}));
}

// No console leads to such a width (one without a usable width leaves the
// default); the layout guards against it all the same.
TEST_F(LayoutTest, NonPositiveWidthLaysOutAtTheDefault) {
  for (int width : {0, -1, -1000}) {
    T->Driver.Settings.LineWidth = width;
    EXPECT_EQ(Write("one two"), std::vector<std::string>{"one two "});
  }
}

TEST_F(LayoutTest, EveryCharacterOnceAndInOrderForAnyWidth) {
  const std::string text =
      "Speaker:\t" + std::string(200, 'q') + " a  bb " + std::string(90, 'z') + "\tx\xE9\xFF end";
  for (int width = 1; width <= 100; ++width) {
    Begin(width);
    std::string joined;
    for (const std::string &line : Write(text))
      joined += line;
    EXPECT_EQ(NonSpaces(joined), NonSpaces("Speaker:" + text.substr(9))) << "width " << width;
  }
}

// Imported UTF-8 texts are laid out by display columns: wide characters take
// two, combining marks and style markers none, and no cut falls inside a
// grapheme cluster. An 8-bit script keeps its byte layout.
struct TWidthCase {
  const char *Name;
  bool Unicode;
  int Width;
  int32_t Column; // the speaker column before the entry: 0, or 13 after a speaker
  std::string Text;
  std::vector<std::string> Lines;
};

TEST_F(LayoutTest, UnicodeTextWrapsByDisplayWidth) {
  const std::string e = "e\xCC\x81"; // e and a combining acute: one column
  const std::string thumb = "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"; // thumb and skin tone: two
  const std::string family = "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7"; // woman ZWJ girl
  const TWidthCase cases[] = {
      {"wide words wrap",
       true,
       10,
       0,
       "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86 \xE3\x81\x88\xE3\x81\x8A",
       {"\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86 ", "\xE3\x81\x88\xE3\x81\x8A "}},
      {"wide word split, one column left over",
       true,
       5,
       0,
       "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88\xE3\x81\x8A",
       {"\xE3\x81\x82\xE3\x81\x84", "\xE3\x81\x86\xE3\x81\x88", "\xE3\x81\x8A "}},
      {"combining marks stay with their letter",
       true,
       4,
       0,
       e + e + e + e + e,
       {e + e + e + e, e + " "}},
      {"exact fit counts marks as nothing", true, 4, 0, e + e + " " + e, {e + e + " " + e}},
      {"emoji cluster at the edge", true, 5, 0, "abcd" + thumb + "x", {"abcd", thumb + "x "}},
      {"joined emoji are one wide unit",
       true,
       3,
       0,
       "a" + family + family,
       {"a" + family, family + " "}},
      {"wide character with one column after the indentation",
       true,
       14,
       13,
       "\xE6\x97\xA5\xE6\x9C\xAC",
       {Spaces(13) + "\xE6\x97\xA5", Spaces(13) + "\xE6\x9C\xAC"}},
      {"wide speaker is padded by columns",
       true,
       30,
       0,
       "\xE3\x82\xA2\xE3\x83\xB3:\tok",
       {"\xE3\x82\xA2\xE3\x83\xB3: " + Spaces(7) + "ok "}},
      {"styles reopen on continuation lines",
       true,
       10,
       0,
       "\x0E\x11"
       "aaaa bbbb\x12 cccc\x0F",
       {"\x0E\x11"
        "aaaa bbbb\x12 ",
        "\x0E"
        "cccc\x0F "}},
      {"bytes that are not UTF-8 take a column each",
       true,
       2,
       0,
       "\xFF\xFE"
       "ab",
       {"\xFF\xFE", "ab"}},
      {"8-bit script counts bytes",
       false,
       4,
       0,
       "\xC3\xA9\xC3\xA9\xC3\xA9",
       {"\xC3\xA9\xC3\xA9", "\xC3\xA9 "}},
  };
  for (const TWidthCase &c : cases) {
    Begin(c.Width, c.Unicode);
    if (c.Column != 0) Write("A:\tx");
    T->Output.Kinds.clear();
    EXPECT_EQ(Write(c.Text), c.Lines) << c.Name;
    EXPECT_EQ(T->Output.Kinds, std::string(c.Lines.size(), c.Unicode ? 's' : 'b')) << c.Name;
  }
}

TEST_F(LayoutTest, ScreenplayWritesUnicodeTextPlain) {
  TTestDriver t;
  t.Files.Add("u.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>hi</i>\r\n");
  t.Files.Add("v.avi", "");
  t.Process.Args = {"-scp", "u.srt", "v.avi"};
  EXPECT_EQ(t.Driver.Run(), 0);
  EXPECT_EQ(t.Output.Lines.size(), 1u);
  EXPECT_EQ(t.Output.Kinds, "p");
}

TEST_F(LayoutTest, LogLineIsWrittenWholeAndUnwrapped) {
  Begin(10);
  Write("A:\tx");
  T->Output.Lines.clear();
  T->Output.Bytes.clear();
  const std::string message = "Bad frame number: " + std::string(100, '9') + "  x:\ty";
  T->Driver.WriteLogLine(message);
  EXPECT_EQ(T->Output.Lines, std::vector<std::string>{message});
  EXPECT_EQ(T->Output.Bytes, message + "\r\n");
}

TEST_F(LayoutTest, FailedWriteDropsTheLineAndKeepsEarlierOnes) {
  Begin(12);
  T->Output.FailAfter = 1;
  EXPECT_THROW(Write("one two three four"), EInOutError);
  EXPECT_EQ(T->Output.Lines, std::vector<std::string>{"one two "});
}

} // namespace

namespace {

class LongLayoutTest : public ::testing::Test {
protected:
  void TearDown() override { T->Driver.Finalize(); }
  // Each text on a program started afresh, at 79 columns.
  std::vector<std::string> Write(const std::string &text, bool unicode) {
    Begin(T, Player, 79, unicode);
    TText entry;
    entry.Text = text;
    const std::clock_t start = std::clock();
    T->Driver.WriteSubtitle(entry);
    Seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    return T->Output.Lines;
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

  TTestPlayer Player;
  std::optional<TTestDriver> T;
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
  // Sixteen words and their spaces fill the 79 columns exactly, leaving no
  // room for the space after the last.
  const std::vector<std::string> lines = Write(Times("abcd ", 3000000), false);
  EXPECT_LT(Seconds, 3.0);
  ASSERT_EQ(lines.size(), 3000000u / 16);
  for (const std::string &line : lines)
    ASSERT_EQ(line, Times("abcd ", 15) + "abcd");
}

} // namespace
