// TWMPlayer: the video player over the Windows Media Player control
// ("WMPlayer.OCX"), through its `settings` and `controls` objects; positions
// in seconds are converted with the script's frame rate.
#pragma once

#include "player/ControlPlayer.h"

class TWMPlayer : public TControlPlayer {
public:
  explicit TWMPlayer(double frameRate);

  // controls.currentPosition, in seconds, as whole frames.
  double GetPosition() override;
  void SetPosition(double position) override;
  std::string GetFileName() override;
  // Auto-start off first, so the video waits for Start; the control shows
  // its own full window.
  void SetFileName(const std::string &name) override;
  // The first play.
  void Start() override;
  void Play() override;
  void Pause() override;
  void Stop() override;
  // "playState" as a playback state.
  int32_t GetState() override;

private:
  // Calls `method` on the control's `controls` object.
  void CallControls(const char *method);

  // Set by the first play: until then a control that is loading, waiting or
  // ready is not ready; after it, it is paused.
  bool FPlayed = false;
};
