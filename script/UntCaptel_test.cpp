// The playback cursor: SeekTo, AdvanceTo and the NextDue drain, with the
// positions and frames that lie outside the usual range.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

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
