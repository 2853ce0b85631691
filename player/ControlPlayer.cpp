// TControlPlayer: the calls every control player makes the same way.
#include "player/ControlPlayer.h"

#include "player/ControlCalls.h"

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
  double position = GetPosition();
  if (direction == sdBackward) {
    // Also lands on 0 when the comparison is unordered (NaN).
    SetPosition(position >= amount ? position - amount : 0);
  } else {
    SetPosition(position + amount);
  }
}
