// The position of a player that is followed from outside: readings arrive
// late or coarse, so the clock keeps the last one with the moment it came and
// predicts forward from it at the playback rate while playing.
#pragma once

#include <chrono>

using TFollowTime = std::chrono::steady_clock::time_point;

class TFollowClock {
public:
  // Prediction runs at most this far past the last reading, so a player that
  // stalls (buffering) without saying so is not outrun for long.
  static constexpr double MaxAheadSeconds = 2.0;
  // A reading this far behind the position already handed out is a jump back
  // that the player made without saying so; a smaller step back is the
  // prediction's own overshoot and is held instead.
  static constexpr double BackJumpSeconds = 1.5;
  // Positions are kept within [0, this]; beyond it no video exists.
  static constexpr double MaxSeconds = 1e7;

  // A reading of the player's position, fresh at `at`.
  void Reading(double seconds, TFollowTime at);
  // A seek: the position may move back.
  void Jump(double seconds, TFollowTime at);
  void SetPlaying(bool playing, TFollowTime at);
  // Rate 1 is normal speed; 0 stands still; what is not a sane rate counts as 1.
  void SetRate(double rate, TFollowTime at);

  // The predicted position in seconds. It never moves back between jumps, so
  // subtitles already written are never written again.
  double Position(TFollowTime now);
  bool HasReading() const { return FHasReading; }

private:
  double Predict(TFollowTime now) const;
  void Anchor(double seconds, TFollowTime at);

  double FSeconds = 0;
  TFollowTime FAt{};
  double FRate = 1;
  bool FPlaying = false;
  bool FHasReading = false;
  // The largest position handed out since the last jump.
  double FShown = 0;
};
