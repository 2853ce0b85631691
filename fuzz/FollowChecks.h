// What every followed-player fuzz input shares: the seconds of a seek key
// line ("k40", "k-5"), and the checks after each step that the followed clock
// gives a finite position in range, the state is one of the four and the
// frame rate is a real one.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "player/follow/FollowClock.h"

namespace fuzzinput {

// The digits after the key letter as whole seconds, negative when the line
// holds a '-'; bounded so that no input overflows.
inline double SeekKeySeconds(std::string_view key) {
  double seconds = 0;
  for (char c : key.substr(key.empty() ? 0 : 1))
    if (c >= '0' && c <= '9' && seconds < 1e9) seconds = seconds * 10 + (c - '0');
  return key.find('-') != std::string_view::npos ? -seconds : seconds;
}

// Empty when the session's clock, state and frame rate are sound at `at`.
template <class TSession>
std::string FollowStateFault(TFollowClock &clock, const TSession &session, TFollowTime at) {
  const double position = clock.Position(at);
  if (!(std::isfinite(position) && position >= 0 && position <= TFollowClock::MaxSeconds))
    return "position out of range: " + std::to_string(position);
  if (session.State() < 0 || session.State() > 3)
    return "state out of range: " + std::to_string(session.State());
  if (!(std::isfinite(session.FrameRate()) && session.FrameRate() >= 0))
    return "frame rate out of range";
  return "";
}

} // namespace fuzzinput
