// Joining a followed player mid-video: at its first reading and after it
// jumps forward, only the subtitles still in effect are written, where the
// controls the program plays itself write every entry the cursor passes.
#include <cmath>

#include "driver/Driver.h"

// A reading is compared with the least position the predictor allows by its
// moment (the last reading while paused or before a line exists), so playing
// on between slow ticks is no jump; the last reading also counts, as a seek
// key makes the predictor forget it. A move back is no join: the cursor seeks
// back and entries come again from there.
bool TDriver::JoinsAt(double position, double moment) const {
  if (!Following) return false;
  if (std::isnan(LastReading)) return true;
  const double expected = std::fmax(LastReading, Predictor.PositionAt(moment));
  return position - expected > JumpSeconds * Script->FrameRate;
}

// The position is the player's, in the video's time: no shift or rate scale.
void TDriver::WriteJoinLine(double position, bool first) {
  if (!Settings.Debug) return;
  WriteLogLine((first ? "Joined at " : "Jumped to ") +
               VideoTimeLabel(position / Script->FrameRate));
}

// Of the entries now due, writes those InEffect says are still shown: an
// hour in, a join writes a line or two rather than hundreds.
void TDriver::PresentInEffect() {
  uint32_t latest = 0;
  if (!Script->LatestDue(latest)) return;
  while (Script->NextDue(CurrentEntry))
    if (Script->InEffect(CurrentEntry, latest)) WriteSubtitle(CurrentEntry);
}

std::string TDriver::VideoTimeLabel(double seconds) {
  const int64_t whole = std::isfinite(seconds) && seconds > 0 ? static_cast<int64_t>(seconds) : 0;
  const auto two = [](int64_t n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
  if (whole < 3600) return std::to_string(whole / 60) + ":" + two(whole % 60);
  return std::to_string(whole / 3600) + ":" + two(whole / 60 % 60) + ":" + two(whole % 60);
}
