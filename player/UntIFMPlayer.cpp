// TMPlayer: every operation as get, put and method calls on the MCI
// multimedia control, which is asked to count in frames (or milliseconds).
#include "player/UntIFMPlayer.h"

#include "player/ControlCalls.h"

namespace {

constexpr int32_t MciFormatMilliseconds = 0;
constexpr int32_t MciFormatFrames = 3;

// The control's "mode" numbers as playback states.
int32_t StateOfMode(int32_t mode) {
  switch (mode) {
  case 525: return vsStopped; // stopped
  case 526: return vsPlaying; // playing
  case 528: return vsStopped; // seeking
  case 529: return vsPaused;  // paused
  case 530: return vsStopped; // open and ready
  default: return vsNotReady; // not ready (524), recording (527), unknown
  }
}

} // namespace

TMPlayer::TMPlayer(double frameRate, std::string &deviceType, bool milliseconds)
    : TControlPlayer("MCI.MMControl", frameRate), FDeviceType(deviceType),
      FTimeFormat(milliseconds ? MciFormatMilliseconds : MciFormatFrames) {}

double TMPlayer::GetPosition() {
  // The time format is set before every use of "Position": the control may
  // have been switched by someone else.
  Put(FPlayer, "TimeFormat", TVariant::Integer(FTimeFormat));
  return VariantToDouble(Get(FPlayer, "Position"));
}

void TMPlayer::SetPosition(double position) {
  Put(FPlayer, "TimeFormat", TVariant::Integer(FTimeFormat));
  double frames = position; // our own copy: a value written back is dropped
  Put(FPlayer, "Position", TVariant::DoubleByRef(frames));
}

int32_t TMPlayer::GetState() { return StateOfMode(VariantToInteger(Get(FPlayer, "mode"))); }

void TMPlayer::Start() {
  // The device type goes by reference to the setting itself, so a value the
  // control writes back replaces it.
  if (!FDeviceType.empty()) Put(FPlayer, "DeviceType", TVariant::StringByRef(FDeviceType));
  Put(FPlayer, "Command", TVariant::String("open"));
  Put(FPlayer, "Command", TVariant::String("play"));
}

void TMPlayer::Play() { Put(FPlayer, "Command", TVariant::String("play")); }

void TMPlayer::Stop() { Put(FPlayer, "Command", TVariant::String("stop")); }

void TMPlayer::Pause() { Put(FPlayer, "Command", TVariant::String("pause")); }
