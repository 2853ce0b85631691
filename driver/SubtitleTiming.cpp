// The shift and frame-rate scaling between script frames and player frames.
#include "driver/SubtitleTiming.h"

#include <algorithm>
#include <cmath>

#include "player/PositionPredictor.h"

bool TSubtitleTiming::UsableRate(double frameRate) {
  return std::isfinite(frameRate) && frameRate > 0 && frameRate <= TPositionPredictor::MaxRate;
}

void TSubtitleTiming::Shift(int64_t ms) {
  ShiftMs = std::clamp(ShiftMs + std::clamp(ms, -MaxShiftMs, MaxShiftMs), -MaxShiftMs, MaxShiftMs);
}

double TSubtitleTiming::ToScript(double position, double frameRate) const {
  if (!UsableRate(frameRate)) return position;
  const double scale = UsableRate(SubFps) ? SubFps / frameRate : 1;
  if (ShiftMs == 0 && scale == 1) return position;
  const double script = (position - ShiftMs * frameRate / 1000) / scale;
  // A due position worked out by ToPlayer must read as due again, not as a
  // hair short of it after rounding.
  const double whole = std::round(script);
  return std::fabs(script - whole) < 1e-6 ? whole : script;
}

double TSubtitleTiming::ToPlayer(double scriptPosition, double frameRate) const {
  if (!UsableRate(frameRate)) return scriptPosition;
  const double scale = UsableRate(SubFps) ? SubFps / frameRate : 1;
  return scriptPosition * scale + ShiftMs * frameRate / 1000;
}

std::string TSubtitleTiming::ShiftLabel() const {
  const int64_t magnitude = ShiftMs < 0 ? -ShiftMs : ShiftMs;
  std::string fraction = std::to_string(1000 + magnitude % 1000).substr(1);
  while (fraction.size() > 1 && fraction.back() == '0')
    fraction.pop_back();
  return (ShiftMs < 0 ? "-" : "+") + std::to_string(magnitude / 1000) + "." + fraction + " s";
}
