// How the script's frames meet the player's: the viewer's shift (later when
// positive) and the frame rate the script was timed for.
#pragma once

#include <cstdint>
#include <string>

struct TSubtitleTiming {
  // Further than a day either way is no timing, only a typing accident.
  static constexpr int64_t MaxShiftMs = 24LL * 3600 * 1000;

  int64_t ShiftMs = 0;
  // The frame rate the script was timed for; 0 when it was timed for the
  // video's own rate.
  double SubFps = 0;

  void Shift(int64_t ms);
  // The script frame a player position (frames at `frameRate`) stands for:
  // script times are stretched by SubFps / frameRate and moved by the shift.
  // Unchanged when neither applies, or the rate is not a usable number.
  double ToScript(double position, double frameRate) const;
  // The player position at which the script reaches `scriptPosition`.
  double ToPlayer(double scriptPosition, double frameRate) const;
  // The shift as the title shows it, e.g. "+0.3 s" or "-1.25 s".
  std::string ShiftLabel() const;

  static bool UsableRate(double frameRate);
};
