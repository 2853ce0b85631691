// The followed players' shared operations: frames from the clock, seeks, and
// the end of the connection.
#include "player/follow/FollowPlayer.h"

#include <cmath>

#include "base/Errors.h"

TFollowPlayer::TFollowPlayer(double frameRate, TEndedProc ended, TNowProc now)
    : FFrameRate(frameRate), FEndedProc(std::move(ended)), FNow(std::move(now)) {
  if (!FNow) FNow = [] { return std::chrono::steady_clock::now(); };
}

double TFollowPlayer::GetPosition() {
  RequireConnection();
  return Clock.Position(Now()) * FFrameRate;
}

// A frame number names no time at 0 fps: the player then stays where it is.
void TFollowPlayer::SetPosition(double position) {
  RequireConnection();
  double seconds = position / FFrameRate;
  if (!std::isfinite(seconds)) return;
  if (seconds < 0) seconds = 0;
  SeekSeconds(seconds);
  Clock.Jump(seconds, Now());
}

int32_t TFollowPlayer::GetState() {
  RequireConnection();
  return State();
}

void TFollowPlayer::Close() {
  if (FAvailable && !FEnded) Disconnect();
  FEnded = true;
}

void TFollowPlayer::Seek(int32_t direction, double amount) {
  SetPosition(SeekTarget(GetPosition(), direction, amount));
}

void TFollowPlayer::RequireConnection() const {
  if (!FAvailable || FEnded) Raise(EOleError("The followed player is not connected"));
}

void TFollowPlayer::End(const std::string &line) {
  if (FEnded) return;
  FEnded = true;
  Disconnect();
  if (FEndedProc) FEndedProc(line);
}

void TFollowPlayer::Fail(const std::string &why) {
  FAvailable = false;
  FFailure = why;
}
