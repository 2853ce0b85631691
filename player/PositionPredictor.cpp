// The position predictor: a line of the player's rate through the readings,
// raised to the highest lower bound they allow.
#include "player/PositionPredictor.h"

#include <cmath>

TPositionPredictor::TPositionPredictor(double rate, double step) { SetRate(rate, step); }

void TPositionPredictor::SetRate(double rate, double step) {
  FRate = std::isfinite(rate) && rate > 0 && rate <= MaxRate ? rate : 0;
  FStep = std::isfinite(step) && step > 0 ? step : 1;
  FHaveLine = false;
}

void TPositionPredictor::StartLine(double position, double moment) {
  FHaveLine = FRate > 0;
  FOrigin = moment;
  FLow = position;
}

void TPositionPredictor::Update(double position, double moment) {
  if (!std::isfinite(position) || !std::isfinite(moment)) return;
  if (!FHaveReading) {
    FHaveReading = true;
    FPosition = position;
    FSince = moment;
    FSinceValid = true;
    StartLine(position, moment);
    return;
  }
  const bool moved = position != FPosition;
  if (moved || !FSinceValid) FSince = moment;
  FSinceValid = true;
  if (position > FPosition && !FPlaying) {
    FPlaying = true;
    StartLine(position, moment);
  } else if (position < FPosition || !FHaveLine) {
    // Backward without a seek we were told of, or no line yet.
    StartLine(position, moment);
  } else if (FPlaying) {
    const double line = FRate * (moment - FOrigin) + FLow;
    if (position + FStep <= line) {
      // A whole step behind the line: the player stalled or slowed down.
      StartLine(position, moment);
    } else if (position > line) {
      FLow = position - FRate * (moment - FOrigin); // tighter, or a jump ahead
    }
  }
  // Standing still longer than one step takes: not playing.
  if (!moved && FPlaying && FRate > 0 && moment - FSince > 1.5 * FStep / FRate) FPlaying = false;
  FPosition = position;
}

void TPositionPredictor::SetPlaying(bool playing) {
  if (playing == FPlaying) return;
  FPlaying = playing;
  FHaveLine = false;
  FSinceValid = false;
}

void TPositionPredictor::Forget() {
  FHaveReading = false;
  FHaveLine = false;
  FSinceValid = false;
}

double TPositionPredictor::PositionAt(double moment) const {
  if (!FHaveReading) return 0;
  if (!FPlaying || !FHaveLine) return FPosition;
  return std::fmax(FPosition, FRate * (moment - FOrigin) + FLow);
}

double TPositionPredictor::MomentOf(double position) const {
  if (!FPlaying || !FHaveLine || !std::isfinite(position)) return Never;
  return FOrigin + (position - FLow) / FRate;
}
