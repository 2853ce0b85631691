// TAMovie: the video player over the ActiveMovie control
// ("AMovie.ActiveMovie Control"), converting its seconds to frames.
#pragma once

#include <string>

#include "player/Automation.h"
#include "player/InterfacedObject.h"
#include "player/UntVideoIF.h"

class TAMovie : public TInterfacedObject<IVideoPlayer> {
public:
  // Never fails: when the control cannot be created IsAvailable is false.
  explicit TAMovie(double frameRate);

  double GetPosition() override;
  void SetPosition(double position) override;
  std::string GetFileName() override;
  void SetFileName(const std::string &name) override;
  int32_t GetState() override;
  void Start() override;
  void Close() override;
  bool IsAvailable() override;
  void Play() override;
  void Stop() override;
  void Pause() override;
  void Seek(int32_t direction, double amount) override;

private:
  // True when "DisplayMode" says "CurrentPosition" counts seconds.
  bool InSecondsMode();

  TVariant FPlayer;
  double FFrameRate;
  bool FAvailable;
};
