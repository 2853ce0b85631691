// "AMovie.ActiveMovie Control" over libmpv: positions in seconds or frames
// by display mode, the run/pause/stop methods and the state numbers.
#include "base/Errors.h"
#include "player/mpv/MpvEngine.h"
#include "player/mpv/StandInControl.h"
#include "player/mpv/StandInControls.h"

namespace {

enum TAMovieState : int32_t { amvNotLoaded = -1, amvStopped = 0, amvPaused = 1, amvRunning = 2 };
enum TAMovieDisplayMode : int32_t { amvTime = 0, amvFrames = 1 };

class TAMovieControl : public TStandInControl {
public:
  explicit TAMovieControl(std::shared_ptr<TMpvEngine> engine)
      : TStandInControl("AMovie.ActiveMovie Control"), FEngine(std::move(engine)) {
    AddProperty(
        "CurrentPosition", [this] { return TVariant::Double(Position()); },
        [this](const TVariant &v) { SetPosition(ArgDouble(v)); });
    AddProperty(
        "DisplayMode", [this] { return TVariant::Integer(FDisplayMode); },
        [this](const TVariant &v) { FDisplayMode = ArgInteger(v); });
    // Like the control with AutoStart on, a file given plays by itself.
    AddProperty(
        "FileName", [this] { return TVariant::String(FEngine->FileName()); },
        [this](const TVariant &v) { FEngine->Load(ArgString(v), true); });
    AddProperty("CurrentState", [this] { return TVariant::Integer(State()); });
    AddProperty(
        "FullScreenMode", [this] { return TVariant::Boolean(FFullScreen); },
        [this](const TVariant &v) {
          FFullScreen = ArgBoolean(v);
          FEngine->SetFullScreen(FFullScreen);
        });
    AddMethod("Run", [this] { FEngine->Play(); });
    AddMethod("Pause", [this] { FEngine->Pause(); });
    AddMethod("Stop", [this] { FEngine->Stop(); });
  }

private:
  int32_t State() {
    switch (FEngine->State()) {
    case TEngineState::Stopped: return amvStopped;
    case TEngineState::Playing: return amvRunning;
    case TEngineState::Paused: return amvPaused;
    default: return amvNotLoaded;
    }
  }

  double Position() {
    double seconds = FEngine->Time();
    if (FDisplayMode == amvTime || FEngine->State() == TEngineState::NotReady) return seconds;
    return seconds * FEngine->FrameRate();
  }

  void SetPosition(double position) {
    if (FDisplayMode == amvTime) return FEngine->SeekTo(position);
    FEngine->SeekTo(position / FEngine->FrameRate());
  }

  std::shared_ptr<TMpvEngine> FEngine;
  int32_t FDisplayMode = amvTime;
  bool FFullScreen = false;
};

} // namespace

std::shared_ptr<IDispatchObject> CreateAMovieControl(ILoop *loop, IPlayerLog *log,
                                                     bool playerSubs) {
  try {
    return std::make_shared<TAMovieControl>(TMpvEngine::Create(loop, log, playerSubs));
  } catch (const TEngineError &error) {
    Raise(EOleSysError(error.Message, E_Fail));
  }
}
