// TAMovie: the video player over the ActiveMovie control
// ("AMovie.ActiveMovie Control"), converting its seconds to frames.
#pragma once

#include "player/ControlPlayer.h"

class TAMovie : public TControlPlayer {
public:
  explicit TAMovie(double frameRate);

  double GetPosition() override;
  void SetPosition(double position) override;
  int32_t GetState() override;
  void Start() override;
  void Play() override;
  void Stop() override;
  void Pause() override;

private:
  // True when "DisplayMode" says "CurrentPosition" counts seconds.
  bool InSecondsMode();
};
