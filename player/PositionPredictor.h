// Where a player is between two readings of its position: from the readings,
// the moments they were taken, the player's rate and whether it plays.
#pragma once

#include <limits>

// Positions are in any unit that advances by `rate` per second of playback
// (frames for the players here). Readings are taken to show whole steps of
// `step` units, as a player that reports the frame on screen does: a reading
// of n at moment t means the true position then was in [n, n + step). The
// predictor keeps the tightest lower bound that all readings since playback
// (re)started allow, so a predicted moment is never before the real one, and
// it comes closer to the real one with every reading.
class TPositionPredictor {
public:
  static constexpr double Never = std::numeric_limits<double>::infinity();

  // A rate that is not a finite positive number of at most MaxRate predicts
  // no motion at all.
  static constexpr double MaxRate = 1000;
  explicit TPositionPredictor(double rate = 0, double step = 1);
  void SetRate(double rate, double step = 1);

  // A reading of `position`, taken at `moment` (seconds; after the player
  // answered). A reading that moved forward means the player plays; one that
  // stood still for longer than a step lasts means it does not.
  void Update(double position, double moment);
  // The state as the player or a command says it is. A change of state makes
  // the next reading start the prediction afresh.
  void SetPlaying(bool playing);
  // The position jumped (a seek): nothing before the next reading counts.
  void Forget();

  bool Playing() const { return FPlaying; }
  // The least position the player can be at by `moment`; the last reading
  // while not playing, 0 before any reading.
  double PositionAt(double moment) const;
  // The earliest moment by which the player is sure to have reached
  // `position`; Never while it does not play or cannot be predicted. A
  // moment in the past means it is there already.
  double MomentOf(double position) const;

private:
  void StartLine(double position, double moment);

  double FRate = 0;
  double FStep = 1;
  bool FPlaying = false;
  bool FHaveReading = false;
  double FPosition = 0; // last reading
  double FSince = 0;    // first moment the last reading's value was seen
  bool FSinceValid = false;
  // While playing: position(t) >= FRate * (t - FOrigin) + FLow.
  bool FHaveLine = false;
  double FOrigin = 0;
  double FLow = 0;
};
