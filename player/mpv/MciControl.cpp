// "MCI.MMControl" over libmpv: the multimedia control's properties, its
// command strings and its mode numbers.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/Errors.h"

#include "base/Ascii.h"
#include "player/mpv/MpvEngine.h"
#include "player/mpv/StandInControl.h"
#include "player/mpv/StandInControls.h"

namespace {

enum TMciMode : int32_t {
  mciModeNotOpen = 524,
  mciModeStop = 525,
  mciModePlay = 526,
  mciModePause = 529,
};
enum TMciTimeFormat : int32_t { mciFormatMilliseconds = 0, mciFormatFrames = 3 };

class TMciControl : public TStandInControl {
public:
  explicit TMciControl(std::shared_ptr<TMpvEngine> engine)
      : TStandInControl("MCI.MMControl"), FEngine(std::move(engine)) {
    AddProperty(
        "TimeFormat", [this] { return TVariant::Integer(FTimeFormat); },
        [this](const TVariant &v) { FTimeFormat = ArgInteger(v); });
    AddProperty(
        "Position", [this] { return TVariant::Double(Position()); },
        [this](const TVariant &v) { SetPosition(ArgDouble(v)); });
    AddProperty(
        "FileName", [this] { return TVariant::String(FEngine->FileName()); },
        [this](const TVariant &v) { Open(ArgString(v)); });
    AddProperty("Mode", [this] { return TVariant::Integer(Mode()); });
    AddProperty(
        "Command", [this] { return TVariant::String(FLastCommand); },
        [this](const TVariant &v) { Command(ArgString(v)); });
    AddProperty(
        "DeviceType", [this] { return TVariant::String(FDeviceType); },
        [this](const TVariant &v) { FDeviceType = ArgString(v); });
  }

private:
  // The file starts loading at once, paused: the device plays on "play".
  void Open(const std::string &fileName) {
    FOpen = false;
    FEngine->Load(fileName, false);
  }

  int32_t Mode() {
    TEngineState state = FEngine->State();
    if (!FOpen) return mciModeNotOpen;
    switch (state) {
    case TEngineState::Stopped: return mciModeStop;
    case TEngineState::Playing: return mciModePlay;
    case TEngineState::Paused: return mciModePause;
    default: return mciModeNotOpen;
    }
  }

  double Position() {
    double seconds = FEngine->Time();
    // Whole milliseconds, as the real control counts them; a frame's start
    // times 1000 may land a hair below its millisecond, which is still it.
    if (FTimeFormat == mciFormatMilliseconds) return std::floor(seconds * 1000.0 + 1e-6);
    RequireFrames();
    if (FEngine->State() == TEngineState::NotReady) return 0;
    // The frame on screen, a whole number as the control counts it; a frame's
    // start times the rate may land a hair below it, which is still that frame.
    return std::floor(seconds * FEngine->FrameRate() + 1e-6);
  }

  void SetPosition(double position) {
    if (FTimeFormat == mciFormatMilliseconds) return FEngine->SeekTo(position / 1000.0);
    RequireFrames();
    FEngine->SeekTo(position / FEngine->FrameRate());
  }

  void RequireFrames() {
    if (FTimeFormat != mciFormatFrames)
      throw TEngineError{"The specified time format is not supported"};
  }

  void Command(const std::string &text) {
    FLastCommand = text;
    std::string command = LowerCase(text);
    if (command == "open") {
      FEngine->RequireFile();
      FEngine->Stop(); // an opened device waits, stopped, at the start
      FOpen = true;
    } else if (command == "close") {
      FEngine->Stop();
      FOpen = false;
    } else if (command == "play" || command == "pause" || command == "stop") {
      if (!FOpen) throw TEngineError{"The device is not open"};
      if (command == "play") FEngine->Play();
      if (command == "pause") FEngine->Pause();
      if (command == "stop") FEngine->Stop();
    } else {
      throw TEngineError{"The command \"" + text + "\" is not supported"};
    }
  }

  std::shared_ptr<TMpvEngine> FEngine;
  int32_t FTimeFormat = mciFormatMilliseconds;
  std::string FDeviceType;
  std::string FLastCommand;
  bool FOpen = false;
};

} // namespace

std::shared_ptr<IDispatchObject> CreateMciControl(ILoop *loop, IPlayerLog *log, bool playerSubs) {
  try {
    return std::make_shared<TMciControl>(TMpvEngine::Create(loop, log, playerSubs));
  } catch (const TEngineError &error) {
    Raise(EOleSysError(error.Message, E_Fail));
  }
}
