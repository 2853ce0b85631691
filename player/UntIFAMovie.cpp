// TAMovie: every operation as get, put and method calls on the ActiveMovie
// control; positions in seconds are converted with the script's frame rate.
#include "player/UntIFAMovie.h"

#include "base/Errors.h"
#include "platform/AutomationPlatform.h"
#include "player/ControlCalls.h"

namespace {

// The control's "currentstate" numbers as playback states.
int32_t StateOfCurrentState(int32_t state) {
  switch (state) {
  case 0: return vsStopped;   // stopped
  case 1: return vsPaused;    // paused
  case 2: return vsPlaying;   // running
  default: return vsNotReady; // no media (-1), unknown
  }
}

[[noreturn]] void RaiseInvalidOperation() { Raise(EVariantError("Invalid variant operation")); }

// Compares a value with the integer 0 whatever numeric type it comes in; a
// text counts by the number it reads as.
bool EqualsZero(const TVariant &value) {
  if (value.VType == varEmpty) return true;
  if (IsIntegerType(value.VType) || value.VType == varBoolean || value.VType == varCurrency)
    return value.IntValue == 0;
  if (IsFloatType(value.VType)) return value.DoubleValue == 0;
  if (value.VType != varOleStr) RaiseInvalidOperation();
  TVariant number;
  if (!PlatformChangeType(value, varDouble, number)) RaiseInvalidOperation();
  return number.DoubleValue == 0;
}

} // namespace

TAMovie::TAMovie(double frameRate) : TControlPlayer("AMovie.ActiveMovie Control", frameRate) {}

bool TAMovie::InSecondsMode() { return EqualsZero(Get(FPlayer, "DisplayMode")); }

double TAMovie::GetPosition() {
  double position = VariantToDouble(Get(FPlayer, "CurrentPosition"));
  return InSecondsMode() ? FramesOfSeconds(position) : position;
}

void TAMovie::SetPosition(double position) {
  if (InSecondsMode()) {
    double seconds;
    if (!SecondsOfFrames(position, seconds)) return;
    Put(FPlayer, "CurrentPosition", TVariant::Double(seconds));
  } else {
    double frames = position; // our own copy: a value written back is dropped
    Put(FPlayer, "CurrentPosition", TVariant::DoubleByRef(frames));
  }
}

int32_t TAMovie::GetState() {
  return StateOfCurrentState(VariantToInteger(Get(FPlayer, "currentstate")));
}

// Playback begins only if the control starts it once "FileName" is set;
// otherwise with the first Play.
void TAMovie::Start() { Put(FPlayer, "FullScreenMode", TVariant::Boolean(false)); }

void TAMovie::Play() {
  Put(FPlayer, "FullScreenMode", TVariant::Boolean(false));
  Call(FPlayer, "Run");
}

void TAMovie::Stop() { Call(FPlayer, "Stop"); }

void TAMovie::Pause() { Call(FPlayer, "Pause"); }
