// TAMovie: the video player over the ActiveMovie control
// ("AMovie.ActiveMovie Control"), converting its seconds to frames.
#pragma once

#include "player/ControlPlayer.h"

class TAMovie : public TControlPlayer {
public:
  explicit TAMovie(double frameRate);

  // "CurrentPosition", converted from seconds when "DisplayMode" says so.
  double GetPosition() override;
  void SetPosition(double position) override;
  // The control's "currentstate" as a playback state.
  int32_t GetState() override;
  // Start only leaves full screen; Play leaves it too, then calls "Run".
  void Start() override;
  void Play() override;
  void Stop() override;
  void Pause() override;

private:
  // True when "DisplayMode" says "CurrentPosition" counts seconds.
  bool InSecondsMode();
};
