// TMPlayer: the video player over the MCI multimedia control
// ("MCI.MMControl").
#pragma once

#include <string>

#include "player/ControlPlayer.h"

class TMPlayer : public TControlPlayer {
public:
  // `deviceType` is the "-mci-device-type" setting: empty unless set, read by
  // Start, and the control may write a new value back into it. With
  // `milliseconds` the control counts in milliseconds instead of the video's
  // frames, for a script timed in milliseconds.
  TMPlayer(double frameRate, std::string &deviceType, bool milliseconds = false);

  // The device type if set, then "open" and "play"; the others are one
  // "Command" each.
  void Start() override;
  void Play() override;
  void Stop() override;
  void Pause() override;
  // The control's "mode" as a playback state.
  int32_t GetState() override;
  // "Position" in frames (or milliseconds), with "TimeFormat" set before
  // each use.
  double GetPosition() override;
  void SetPosition(double position) override;

private:
  std::string &FDeviceType;
  int32_t FTimeFormat;
};
