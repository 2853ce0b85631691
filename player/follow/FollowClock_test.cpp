// The followed clock: prediction while playing, the hold against stepping
// back, jumps, and readings or rates that make no sense.
#include <gtest/gtest.h>

#include <cmath>

#include "player/follow/FollowClock.h"

namespace {

const TFollowTime T0{};
TFollowTime At(double seconds) {
  return T0 +
         std::chrono::duration_cast<TFollowTime::duration>(std::chrono::duration<double>(seconds));
}

TFollowClock PlayingAt(double seconds) {
  TFollowClock clock;
  clock.Reading(seconds, At(0));
  clock.SetPlaying(true, At(0));
  return clock;
}

} // namespace

TEST(FollowClock, PredictsFromTheLastReadingAtTheRate) {
  TFollowClock clock = PlayingAt(10);
  EXPECT_DOUBLE_EQ(clock.Position(At(0.1)), 10.1);
  clock.SetRate(2, At(0.1));
  EXPECT_DOUBLE_EQ(clock.Position(At(0.2)), 10.3);
  clock.SetRate(0, At(0.2)); // a rate of 0 stands still
  EXPECT_DOUBLE_EQ(clock.Position(At(5)), 10.3);
  clock.SetRate(NAN, At(5)); // what is no rate counts as normal speed
  EXPECT_DOUBLE_EQ(clock.Position(At(5.5)), 10.8);
  clock.SetPlaying(false, At(5.5));
  EXPECT_DOUBLE_EQ(clock.Position(At(9)), 10.8);
}

TEST(FollowClock, StopsPredictingWhenReadingsStopComing) {
  TFollowClock clock = PlayingAt(10);
  EXPECT_DOUBLE_EQ(clock.Position(At(60)), 10 + TFollowClock::MaxAheadSeconds);
}

TEST(FollowClock, NeverStepsBackExceptAtAJumpOrALongWayBack) {
  TFollowClock clock = PlayingAt(10);
  EXPECT_DOUBLE_EQ(clock.Position(At(0.3)), 10.3);
  clock.Reading(10.25, At(0.3)); // the prediction ran ahead: held
  EXPECT_DOUBLE_EQ(clock.Position(At(0.3)), 10.3);
  EXPECT_DOUBLE_EQ(clock.Position(At(0.4)), 10.35);
  clock.Reading(5, At(0.4)); // a seek the player did not announce
  EXPECT_DOUBLE_EQ(clock.Position(At(0.4)), 5);
  clock.Jump(1, At(0.4));
  EXPECT_DOUBLE_EQ(clock.Position(At(0.4)), 1);
}

TEST(FollowClock, ReadingsThatMakeNoSense) {
  struct Case {
    double Reading;
    double Position;
  } cases[] = {
      {NAN, 0}, {-3, 0}, {1e300, TFollowClock::MaxSeconds}, {INFINITY, TFollowClock::MaxSeconds}};
  for (const Case &c : cases) {
    TFollowClock clock;
    clock.Reading(c.Reading, At(0));
    EXPECT_DOUBLE_EQ(clock.Position(At(1)), c.Position) << c.Reading;
  }
}
