// When to ask a followed player where it is. The followed clock predicts
// between readings, so asking often only wakes the player: after something
// moved its clock (start, play, pause, seek, rate) a short burst of dense
// polls learns how the player reports. A player whose value moves in steps
// (whole seconds, or whole frames) is then asked in a short burst around the
// moment its value is due to step, once a second, since only a step seen
// between two close polls tells when the value was true; a player whose value
// moves at every poll is checked once a second.
#pragma once

#include "player/follow/FollowClock.h"

class TPollPlan {
public:
  static constexpr double DenseSeconds = 0.02;     // between polls in a burst
  static constexpr double StepDenseSeconds = 0.01; // in a burst around a step
  static constexpr double CheckSeconds = 1.0;      // between bursts or checks
  static constexpr double BurstSeconds = 1.5;      // a burst that finds no step ends
  // A burst around a step starts this long before it is due, and ends this
  // long after without one.
  static constexpr double LeadSeconds = 0.06;
  static constexpr double OverSeconds = 0.25;
  // A larger change between two close polls is a jump, not a step.
  static constexpr double LargestStep = 1.0;

  // Something moved the player's clock: poll at once, then densely while
  // it plays.
  void Restart(TFollowTime at, bool playing, double rate);
  // A poll goes out at `at`.
  void Sent(TFollowTime at);
  // A poll's answer, the position in seconds, came at `at`. True when the
  // value is fresh at FreshAt(): a step seen between two close polls (then
  // halfway between them), or a changed value from a player whose value
  // moves at every poll (then halfway through the poll's round trip).
  bool Answer(double seconds, TFollowTime at);
  TFollowTime FreshAt() const { return FFreshAt; }
  // When the next poll should go out.
  TFollowTime Next() const;
  // The player's value moves in steps (learnt from a burst).
  bool Stepped() const { return FStepped; }

private:
  void EndBurst(TFollowTime at);

  bool FPlaying = false;
  double FRate = 1;
  bool FDense = true;
  bool FStepBurst = false; // around a step that is due, not learning
  TFollowTime FStarted{}, FSent{}, FNext{}, FFreshAt{};
  // The middle of the last answer's round trip: about when the player read it.
  TFollowTime FLastRead{};
  int FAnswers = 0, FSame = 0;
  bool FAwaited = false; // a poll is out
  bool FHasLast = false;
  double FLast = 0;
  // Stepped players: the step, the last one seen, and the value expected
  // after the step the next burst waits for.
  bool FStepped = false;
  double FStep = 0;
  TFollowTime FEdge{};
  double FEdgeValue = 0, FExpect = 0;
};
