// The poll plan against simulated players: how many polls it asks for and
// how far the followed clock strays from the player's own position, for a
// player whose value moves at every poll, one that steps a frame at a time
// and one that steps whole seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "player/follow/MprisSession.h"
#include "player/follow/PollPlan.h"

namespace {

TFollowTime At(double seconds) {
  return TFollowTime{} +
         std::chrono::duration_cast<TFollowTime::duration>(std::chrono::duration<double>(seconds));
}
double Since0(TFollowTime at) { return std::chrono::duration<double>(at - TFollowTime{}).count(); }

struct TSimulated {
  double Step;   // the player's value moves in steps of this (0: continuously)
  double Start;  // its position at time 0
  double TripMs; // a poll's round trip
};

struct TRun {
  int Polls = 0;
  double WorstLate = 0, WorstEarly = 0; // of the clock against the player, after the first second
};

// Plays `seconds` of the player, polled as the session plans; the clock is
// compared with the player's true position every millisecond.
TRun Follow(const TSimulated &player, double seconds) {
  TFollowClock clock;
  TMprisSession session(clock);
  auto truth = [&](double t) { return player.Start + t; };
  auto reported = [&](double t) {
    return player.Step > 0 ? std::floor(truth(t) / player.Step) * player.Step : truth(t);
  };
  session.Status("Playing", At(0));
  TRun run;
  double nextPoll = 0;
  for (double t = 0; t < seconds; t += 0.001) {
    if (t >= nextPoll) {
      session.Sending(At(t));
      ++run.Polls;
      const double trip = player.TripMs / 1000;
      const double read = t + trip / 2; // the player reads its position midway
      session.PollAnswer(session.PollSent(),
                         static_cast<int64_t>(std::llround(reported(read) * 1e6)), At(t + trip));
      nextPoll = std::max(Since0(session.NextPoll()), t + trip);
    }
    if (t < 1.0) continue;
    const double error = clock.Position(At(t)) - truth(t);
    run.WorstLate = std::max(run.WorstLate, -error);
    run.WorstEarly = std::max(run.WorstEarly, error);
  }
  return run;
}

} // namespace

TEST(PollPlan, FewPollsAndTheClockWithinAFewMilliseconds) {
  struct Case {
    const char *Name;
    TSimulated Player;
    int MostPollsPerSecond;
  } cases[] = {{"moving value", {0, 10, 2}, 3},
               {"frames of 25 fps", {0.04, 10.013, 2}, 12},
               {"whole seconds", {1, 10.5, 2}, 12},
               {"whole seconds, slow trips", {1, 3.25, 15}, 12}};
  for (const Case &c : cases) {
    const TRun run = Follow(c.Player, 60);
    EXPECT_LE(run.Polls, 60 * c.MostPollsPerSecond) << c.Name;
    EXPECT_LE(run.WorstLate, 0.015) << c.Name;
    EXPECT_LE(run.WorstEarly, 0.015) << c.Name;
    std::printf("%s: %d polls, worst %.1f ms late, %.1f ms early\n", c.Name, run.Polls,
                run.WorstLate * 1000, run.WorstEarly * 1000);
  }
}
