// TControlPlayer: the calls every control player makes the same way.
#include "player/ControlPlayer.h"

#include <cmath>

#include "base/Int32.h"
#include "player/ControlCalls.h"

namespace {

constexpr double FrameAllowance = 1e-6;

} // namespace

TControlPlayer::TControlPlayer(const std::string &progId, double frameRate)
    : FPlayer(CreateControlOrNull(progId)), FFrameRate(frameRate),
      FAvailable(FPlayer.VType == varDispatch) {}

std::string TControlPlayer::GetFileName() { return VariantToString(Get(FPlayer, "FileName")); }

void TControlPlayer::SetFileName(const std::string &name) {
  std::string copy = name; // the control gets it by reference; a write-back is dropped
  Put(FPlayer, "FileName", TVariant::StringByRef(copy));
}

void TControlPlayer::Close() { FPlayer = TVariant::Null(); }

bool TControlPlayer::IsAvailable() { return FAvailable; }

void TControlPlayer::Seek(int32_t direction, double amount) {
  SetPosition(SeekTarget(GetPosition(), direction, amount));
}

double TControlPlayer::FramesOfSeconds(double seconds) const {
  const double frames = seconds * FFrameRate;
  return SaturateToInt32(frames + (frames >= 0 ? FrameAllowance : -FrameAllowance));
}

bool TControlPlayer::SecondsOfFrames(double frames, double &seconds) const {
  seconds = frames / FFrameRate;
  return std::isfinite(seconds);
}
