// The playback cursor: SeekTo, AdvanceTo and the NextDue drain, with the
// positions and frames that lie outside the usual range; and the code-page
// classification of CODEPAGE values and the conversion of handed-out
// texts, against both usual pairs of system code pages.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "script/ScriptTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

class PlaybackCursor : public ::testing::Test {
protected:
  TCaptel &Load(const Lines &lines) { return F.Load(lines); }
  Lines Drain() { return F.Drain(); }
  TScriptFixture F;
};

const Lines ThreeEntries = {"{T;250", "a", "}", "{T;400", "b", "}", "{T;400", "c", "}"};

TEST_F(PlaybackCursor, EntriesAtFrameZeroAreDueAtTheFirstDrain) {
  Load({"{T;0", "zero", "}", "{T;1", "one", "}"});
  EXPECT_EQ(Drain(), Lines{"0:zero"});
}

TEST_F(PlaybackCursor, ForwardHandsOutEverythingPassedInFileOrder) {
  TCaptel &s = Load(ThreeEntries);
  s.AdvanceTo(100, 0);
  EXPECT_TRUE(Drain().empty());
  s.AdvanceTo(400, 0);
  EXPECT_EQ(Drain(), (Lines{"250:a", "400:b", "400:c"}));
  EXPECT_TRUE(Drain().empty());
  s.AdvanceTo(500, 0);
  EXPECT_TRUE(Drain().empty());
}

TEST_F(PlaybackCursor, BackwardRepositionsWithoutHandingOut) {
  TCaptel &s = Load(ThreeEntries);
  s.AdvanceTo(400, 0);
  Drain();
  s.AdvanceTo(300, 0);
  EXPECT_EQ(s.CursorFrame, 300u);
  EXPECT_TRUE(Drain().empty());
  s.AdvanceTo(400, 0);
  EXPECT_EQ(Drain(), (Lines{"400:b", "400:c"}));

  s.AdvanceTo(250, 0);
  EXPECT_EQ(Drain(), Lines{"250:a"});
}

TEST_F(PlaybackCursor, NextDueFillsTheEntryAlsoWhenNothingIsDue) {
  Load(ThreeEntries);
  TText entry;
  EXPECT_FALSE(F.Script->NextDue(entry));
  EXPECT_EQ(entry.Frame, 250u);
  EXPECT_EQ(entry.Text, "a");
  EXPECT_FALSE(F.Script->NextDue(entry));
  EXPECT_EQ(F.Script->NextIndex, 1);
}

TEST_F(PlaybackCursor, KeepAheadAndPositionsBelowOneFrame) {
  TCaptel &s = Load({"{HEAD", "KEEPAHEAD=12", "FPS=25", "}", "{T;112", "x", "}"});
  s.AdvanceTo(100, 0);
  EXPECT_EQ(s.CursorFrame, 112u);
  EXPECT_EQ(Drain(), Lines{"112:x"});

  // A position truncating to 0 falls back on seconds times the frame rate.
  s.AdvanceTo(0.9, 0);
  EXPECT_EQ(s.CursorFrame, 12u);
  s.AdvanceTo(0, 2.0);
  EXPECT_EQ(s.CursorFrame, 62u);
  s.AdvanceTo(-0.5, 0);
  EXPECT_EQ(s.CursorFrame, 12u);
}

TEST_F(PlaybackCursor, AHigherFrameHoldsBackLaterEntries) {
  TCaptel &s = Load({"{T;500", "late", "}", "{T;100", "early", "}", "{T;600", "last", "}"});
  s.AdvanceTo(200, 0);
  EXPECT_TRUE(Drain().empty());
  s.AdvanceTo(500, 0);
  EXPECT_EQ(Drain(), (Lines{"500:late", "100:early"}));
}

TEST_F(PlaybackCursor, EmptyTableNeverAnswersDue) {
  TCaptel &s = Load({"no blocks"});
  EXPECT_EQ(s.NextIndex, s.Count);
  s.AdvanceTo(999999, 0);
  TText entry;
  EXPECT_FALSE(s.NextDue(entry));
  EXPECT_EQ(entry.Frame, 1000000u);
}

TEST_F(PlaybackCursor, ScreenplayPassHandsOutTheWholeScript) {
  TCaptel &s = Load(ThreeEntries);
  s.SeekTo(0);
  s.AdvanceTo(s.LastFrame, 0);
  EXPECT_EQ(Drain().size(), 3u);
}

TEST_F(PlaybackCursor, DrainEndsWhenTheCursorPassesTheEndMarker) {
  TCaptel &s = Load({"{T;5", "a", "}", "{T;1500000", "beyond", "}"});
  s.AdvanceTo(2000000, 0);
  EXPECT_EQ(Drain(), (Lines{"5:a", "1500000:beyond"}));
  s.SeekTo(std::numeric_limits<uint32_t>::max());
  EXPECT_TRUE(Drain().empty());
  s.SeekTo(0);
  s.AdvanceTo(std::numeric_limits<double>::infinity(), 0);
  EXPECT_EQ(Drain().size(), 2u);
  EXPECT_TRUE(Drain().empty());
}

TEST_F(PlaybackCursor, UnloadedObjectDrainsNothing) {
  TText entry;
  F.Script->AdvanceTo(1e6, 0);
  EXPECT_FALSE(F.Script->NextDue(entry));
}

TEST_F(PlaybackCursor, NegativeFrameIsStoredAsItsBitPatternAndNeverDue) {
  TCaptel &s = Load({"{T;-5", "negative", "}", "{T;10", "after", "}"});
  EXPECT_EQ(s.Texts[1].Frame, 4294967291u);
  s.AdvanceTo(std::numeric_limits<double>::max(), 0);
  EXPECT_TRUE(Drain().empty());
}

TEST_F(PlaybackCursor, CursorPushedBelowZeroStaysAtZero) {
  TCaptel &s = Load({"{HEAD", "KEEPAHEAD=-50", "}", "{T;0", "zero", "}", "{T;20", "b", "}"});
  Drain();
  s.AdvanceTo(10, 0);
  EXPECT_EQ(s.CursorFrame, 0u);
  EXPECT_TRUE(Drain().empty());
  s.AdvanceTo(70, 0);
  EXPECT_EQ(Drain(), Lines{"20:b"});
  // Back below zero re-walks to the start: the entry at 0 is due again.
  s.AdvanceTo(1, 0);
  EXPECT_EQ(Drain(), Lines{"0:zero"});
}

TEST_F(PlaybackCursor, WildPositionsStayDefined) {
  TCaptel &s = Load(ThreeEntries);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();

  s.AdvanceTo(nan, 0);
  EXPECT_EQ(s.CursorFrame, 0u);
  s.AdvanceTo(nan, nan);
  EXPECT_EQ(s.CursorFrame, 0u);
  s.AdvanceTo(-inf, 0);
  EXPECT_EQ(s.CursorFrame, 0u);
  s.AdvanceTo(1e300, 0);
  EXPECT_EQ(s.CursorFrame, 2147483647u);
  EXPECT_EQ(Drain().size(), 3u);
  s.AdvanceTo(-1e300, 0);
  EXPECT_EQ(s.CursorFrame, 0u);
  s.AdvanceTo(0, inf);
  EXPECT_EQ(s.CursorFrame, 2147483647u);
  EXPECT_EQ(Drain().size(), 3u);
}

TEST_F(PlaybackCursor, HugeKeepAheadDoesNotWrap) {
  TCaptel &s = Load({"{HEAD", "KEEPAHEAD=2147483647", "}", "{T;400", "x", "}"});
  s.AdvanceTo(2147483647.0, 0);
  EXPECT_EQ(s.CursorFrame, 4294967294u);
  EXPECT_EQ(Drain(), Lines{"400:x"});
  s.AdvanceTo(-2147483648.0, 0);
  EXPECT_EQ(s.CursorFrame, 0u);
  EXPECT_TRUE(Drain().empty());
}

} // namespace

// The wake plans with PositionDue: the position it names must make the entry
// due, and any position a frame before it must not; NextPending names the
// entry and says when the list has ended.
TEST_F(PlaybackCursor, PositionDueIsWhereTheTargetReachesTheFrame) {
  TCaptel &s = Load(ThreeEntries);
  for (int32_t keepAhead : {-12, 0, 12, 400}) {
    s.KeepAhead = keepAhead;
    for (uint32_t frame : {0u, 7u, 250u}) {
      const double due = s.PositionDue(frame);
      EXPECT_GE(s.TargetOf(due, 0), frame) << keepAhead << " " << frame;
      EXPECT_LT(s.TargetOf(due - 1, 0), frame) << keepAhead << " " << frame;
    }
  }
  uint32_t frame = 0;
  ASSERT_TRUE(s.NextPending(frame));
  EXPECT_EQ(frame, 250u);
  s.AdvanceTo(400, 0);
  Drain();
  EXPECT_FALSE(s.NextPending(frame)) << "the end marker is never pending";
}

namespace {

struct TPair {
  uint32_t OEM;
  uint32_t ANSI;
};

class CodePageKinds : public ::testing::TestWithParam<TPair> {
protected:
  // CodePage and ScriptCodePageKind after loading "CODEPAGE=<value>".
  std::pair<int32_t, int32_t> Classify(const std::string &value) {
    TScriptFixture f(GetParam().OEM, GetParam().ANSI);
    TCaptel &s = f.Load({"{HEAD", "CODEPAGE=" + value, "}"});
    return {s.CodePage, s.ScriptCodePageKind};
  }
  int32_t OEM() const { return static_cast<int32_t>(GetParam().OEM); }
  int32_t ANSI() const { return static_cast<int32_t>(GetParam().ANSI); }
};

TEST_P(CodePageKinds, NumbersPickTheKindByValue) {
  for (int32_t oem : {850, 852, 437})
    EXPECT_EQ(Classify(std::to_string(oem)), std::pair(oem, 1));
  for (int32_t ansi : {1250, 1252, 1200})
    EXPECT_EQ(Classify(std::to_string(ansi)), std::pair(ansi, 2));
  EXPECT_EQ(Classify(std::to_string(OEM())), std::pair(OEM(), 1));
  EXPECT_EQ(Classify(std::to_string(ANSI())), std::pair(ANSI(), 2));
  EXPECT_EQ(Classify("866"), std::pair(866, 0));
  EXPECT_EQ(Classify(" 1251"), std::pair(1251, 0));
  EXPECT_EQ(Classify("$354"), std::pair(852, 1));
}

TEST_P(CodePageKinds, WordsNameTheSystemsCodePages) {
  EXPECT_EQ(Classify("ANSI"), std::pair(ANSI(), 2));
  EXPECT_EQ(Classify("ansi"), std::pair(ANSI(), 2));
  EXPECT_EQ(Classify("AnSi"), std::pair(ANSI(), 2));
  EXPECT_EQ(Classify("OEM"), std::pair(OEM(), 1));
  EXPECT_EQ(Classify(" ANSI"), std::pair(OEM(), 1));
  EXPECT_EQ(Classify("latin2"), std::pair(OEM(), 1));
  EXPECT_EQ(Classify(""), std::pair(OEM(), 1));
  EXPECT_EQ(Classify("1250 ansi"), std::pair(OEM(), 1));
}

INSTANTIATE_TEST_SUITE_P(SystemPairs, CodePageKinds,
                         ::testing::Values(TPair{852, 1250}, TPair{437, 1252}));

TEST(CodePageClassification, OemTestComesFirst) {
  // A system whose ANSI page is also on the OEM list still gets kind 1.
  TScriptFixture f(1250, 1250);
  f.Load({"{HEAD", "CODEPAGE=1250", "}"});
  EXPECT_EQ(f.Script->ScriptCodePageKind, 1);
}

TEST(CodePageClassification, WithoutDirectiveTheKindStaysZero) {
  TScriptFixture f;
  TCaptel &s = f.Load({"{T;1", "\xE1", "}"});
  EXPECT_EQ(s.CodePage, 1250);
  EXPECT_EQ(s.ScriptCodePageKind, 0);
  s.ConsoleCodePageKind = cpkOEM;
  s.AdvanceTo(1, 0);
  EXPECT_EQ(f.Drain(), std::vector<std::string>{"1:\xE1"});
}

// Hands out the one text of a script with the given CODEPAGE value on a
// console of the given kind.
class TextConversion : public ::testing::Test {
protected:
  std::string HandedOut(const std::string &codePage, int32_t consoleKind, const std::string &text) {
    F = std::make_unique<TScriptFixture>(852, 1250);
    F->Load({"{HEAD", "CODEPAGE=" + codePage, "}", "{T;1", text, "}"});
    F->Script->ConsoleCodePageKind = static_cast<TCodePageKind>(consoleKind);
    F->Script->AdvanceTo(1, 0);
    TText entry;
    EXPECT_TRUE(F->Script->NextDue(entry));
    return entry.Text;
  }
  std::unique_ptr<TScriptFixture> F;
};

std::string ToOem(std::string text) {
  for (char &c : text)
    c = TFakeCodePages::AnsiToOemByte(c);
  return text;
}

std::string ToAnsi(std::string text) {
  for (char &c : text)
    c = TFakeCodePages::OemToAnsiByte(c);
  return text;
}

TEST_F(TextConversion, AnsiScriptIsTranslatedForAnOemConsole) {
  const std::string text = "Dobr\xFD ve\xE8\xE9r";
  EXPECT_EQ(HandedOut("1250", 1, text), ToOem(text));
  EXPECT_EQ(HandedOut("ansi", 1, text), ToOem(text));
  EXPECT_EQ(HandedOut("1252", 1, text), ToOem(text));
  // The screenplay runs before the console is prepared: no translation.
  EXPECT_EQ(HandedOut("1250", 0, text), text);
}

TEST_F(TextConversion, OemAndUnknownScriptsPassUnchangedOnAnOemConsole) {
  const std::string text = "P\xA9\xD8\xA0li\xA7";
  EXPECT_EQ(HandedOut("852", 1, text), text);
  EXPECT_EQ(F->CodePages.CharToOemCalls + F->CodePages.OemToCharCalls, 0);
  EXPECT_EQ(HandedOut("866", 1, text), text);
}

TEST_F(TextConversion, OemScriptIsTranslatedForAnAnsiConsole) {
  const std::string text = "\x80\xFF\x81";
  EXPECT_EQ(HandedOut("OEM", 2, text), ToAnsi(text));
  EXPECT_EQ(HandedOut("1250", 2, text), text);
}

TEST_F(TextConversion, LongTextsAndNulBytesAreTranslatedWhole) {
  std::string text(300, '\xE8');
  text[100] = '\0';
  text += "end";
  const std::string out = HandedOut("1250", 1, text);
  EXPECT_EQ(out.size(), text.size());
  EXPECT_EQ(out, ToOem(text));
  EXPECT_EQ(HandedOut("852", 1, text), text);
}

} // namespace
