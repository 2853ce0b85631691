// The followed player's clock: last reading, prediction and the hold that
// keeps the position from stepping back.
#include "player/follow/FollowClock.h"

#include <algorithm>
#include <cmath>

namespace {

double Sane(double seconds) {
  if (!(seconds > 0)) return 0; // negative and NaN
  return std::min(seconds, TFollowClock::MaxSeconds);
}

double Seconds(TFollowTime from, TFollowTime to) {
  return std::chrono::duration<double>(to - from).count();
}

} // namespace

void TFollowClock::Anchor(double seconds, TFollowTime at) {
  FSeconds = Sane(seconds);
  FAt = at;
}

void TFollowClock::Reading(double seconds, TFollowTime at) {
  if (std::isnan(seconds)) return;
  if (FHasReading && Sane(seconds) < FShown - BackJumpSeconds) return Jump(seconds, at);
  Anchor(seconds, at);
  FHasReading = true;
}

void TFollowClock::Jump(double seconds, TFollowTime at) {
  Anchor(seconds, at);
  FShown = FSeconds;
  FHasReading = true;
}

void TFollowClock::SetPlaying(bool playing, TFollowTime at) {
  if (playing == FPlaying) return;
  Anchor(Predict(at), at);
  FPlaying = playing;
}

void TFollowClock::SetRate(double rate, TFollowTime at) {
  if (!std::isfinite(rate) || rate < 0) rate = 1;
  Anchor(Predict(at), at);
  FRate = std::min(rate, 100.0);
}

double TFollowClock::Predict(TFollowTime now) const {
  if (!FPlaying || !FHasReading) return FSeconds;
  double since = std::clamp(Seconds(FAt, now), 0.0, MaxAheadSeconds);
  return Sane(FSeconds + since * FRate);
}

double TFollowClock::Position(TFollowTime now) {
  FShown = std::max(Predict(now), FShown);
  return FShown;
}
