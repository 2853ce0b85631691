// The position predictor: never early, closer with every reading, stalls
// and pauses, jumps, and rates it cannot use.
#include <gtest/gtest.h>

#include <cmath>

#include "player/PositionPredictor.h"

namespace {

// A player at 25 frames a second whose readings show the frame on screen.
struct TSteppedPlayer {
  double Offset; // true position at moment 0
  double At(double moment) const { return 25 * moment + Offset; }
  double Reading(double moment) const { return std::floor(At(moment)); }
  double MomentOf(double position) const { return (position - Offset) / 25; }
};

} // namespace

TEST(PositionPredictor, NeverEarlyAndWithinAFewMillisecondsAfterSomeTicks) {
  for (double offset : {0.0, 0.37, 0.5, 0.93, 1000.01}) {
    TSteppedPlayer player{offset};
    TPositionPredictor predictor(25);
    predictor.SetPlaying(true);
    double error = 0;
    for (int tick = 0; tick < 12; ++tick) {
      const double moment = 0.181 * tick + 0.0003;
      predictor.Update(player.Reading(moment), moment);
      const double target = std::floor(player.At(moment)) + 7;
      error = predictor.MomentOf(target) - player.MomentOf(target);
      ASSERT_GE(error, -1e-9) << "early, offset " << offset << " tick " << tick;
      ASSERT_LE(error, 0.040 + 1e-9) << "later than one frame";
    }
    EXPECT_LT(error, 0.008) << "offset " << offset;
    EXPECT_TRUE(predictor.Playing());
  }
}

TEST(PositionPredictor, PauseStallAndJumps) {
  TPositionPredictor predictor(25);
  EXPECT_EQ(predictor.MomentOf(10), TPositionPredictor::Never) << "nothing read yet";
  predictor.Update(100, 10.0);
  EXPECT_FALSE(predictor.Playing()) << "one reading says nothing of motion";
  predictor.Update(104, 10.18);
  EXPECT_TRUE(predictor.Playing());
  EXPECT_DOUBLE_EQ(predictor.MomentOf(129), 11.18);

  // Standing still for longer than a frame: paused.
  predictor.Update(104, 10.36);
  EXPECT_FALSE(predictor.Playing());
  EXPECT_EQ(predictor.MomentOf(129), TPositionPredictor::Never);
  EXPECT_EQ(predictor.PositionAt(99.0), 104);

  // Told it plays: the next reading starts the line, even before it moves.
  predictor.SetPlaying(true);
  predictor.Update(104, 20.0);
  EXPECT_TRUE(predictor.Playing());
  EXPECT_DOUBLE_EQ(predictor.MomentOf(129), 21.0);

  // A whole frame behind the line (a stall): the line starts again there.
  predictor.Update(110, 21.0);
  EXPECT_DOUBLE_EQ(predictor.MomentOf(135), 22.0);
  // Back without a seek, and a jump ahead: both taken as they come.
  predictor.Update(50, 21.1);
  EXPECT_DOUBLE_EQ(predictor.MomentOf(75), 22.1);
  predictor.Update(5000, 21.2);
  EXPECT_DOUBLE_EQ(predictor.MomentOf(5025), 22.2);

  predictor.Forget();
  EXPECT_EQ(predictor.MomentOf(5025), TPositionPredictor::Never);
  predictor.Update(0, 30.0);
  EXPECT_DOUBLE_EQ(predictor.MomentOf(25), 31.0);
}

TEST(PositionPredictor, RatesItCannotUsePredictNothing) {
  for (double rate : {0.0, -25.0, double(NAN), double(INFINITY), 1e9}) {
    TPositionPredictor predictor(rate);
    predictor.Update(0, 1.0);
    predictor.Update(3, 1.2);
    EXPECT_EQ(predictor.MomentOf(10), TPositionPredictor::Never) << rate;
    EXPECT_EQ(predictor.PositionAt(5.0), 3) << rate;
  }
  TPositionPredictor predictor(25);
  predictor.Update(NAN, 1.0);
  predictor.Update(INFINITY, 1.1);
  EXPECT_EQ(predictor.PositionAt(2.0), 0) << "readings that are no number are ignored";
}
