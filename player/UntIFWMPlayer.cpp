// TWMPlayer: every operation as get, put and method calls on the Windows
// Media Player control and its `settings` and `controls` objects.
#include "player/UntIFWMPlayer.h"

#include "player/ControlCalls.h"

namespace {

// The control's "playState" numbers as playback states.
int32_t StateOfPlayState(int32_t state, bool played) {
  switch (state) {
  case 1: return vsStopped; // stopped
  case 2: return vsPaused;  // paused
  case 3: return vsPlaying; // playing
  case 8: return vsStopped; // media ended
  case 6:                   // buffering
  case 7:                   // waiting
  case 9:                   // transitioning
  case 10:                  // ready
    return played ? vsPaused : vsNotReady;
  default: return vsNotReady; // undefined, scanning, reconnecting, unknown
  }
}

} // namespace

TWMPlayer::TWMPlayer(double frameRate) : TControlPlayer("WMPlayer.OCX", frameRate) {}

double TWMPlayer::GetPosition() {
  TVariant controls = Get(FPlayer, "controls");
  return FramesOfSeconds(VariantToDouble(Get(controls, "currentPosition")));
}

void TWMPlayer::SetPosition(double position) {
  double seconds;
  if (!SecondsOfFrames(position, seconds)) return;
  TVariant controls = Get(FPlayer, "controls");
  Put(controls, "currentPosition", TVariant::Double(seconds));
}

std::string TWMPlayer::GetFileName() { return VariantToString(Get(FPlayer, "URL")); }

void TWMPlayer::SetFileName(const std::string &name) {
  TVariant settings = Get(FPlayer, "settings");
  Put(settings, "autoStart", TVariant::Boolean(false));
  Put(FPlayer, "uiMode", TVariant::String("full"));
  Put(FPlayer, "URL", TVariant::String(name));
}

int32_t TWMPlayer::GetState() {
  return StateOfPlayState(VariantToInteger(Get(FPlayer, "playState")), FPlayed);
}

void TWMPlayer::Start() { Play(); }

void TWMPlayer::Play() {
  CallControls("play");
  FPlayed = true;
}

void TWMPlayer::Stop() { CallControls("stop"); }

void TWMPlayer::Pause() { CallControls("pause"); }

void TWMPlayer::CallControls(const char *method) { Call(Get(FPlayer, "controls"), method); }
