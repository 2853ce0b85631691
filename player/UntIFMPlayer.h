// TMPlayer: the video player over the MCI multimedia control
// ("MCI.MMControl"), and the MCI device type the command line sets.
#pragma once

#include <string>

#include "player/Automation.h"
#include "player/InterfacedObject.h"
#include "player/UntVideoIF.h"

// Empty at start-up; "-mci-device-type" sets it, Start reads it, and the
// control may write a new value back into it.
extern std::string MCIDeviceType;

class TMPlayer : public TInterfacedObject<IVideoPlayer> {
public:
  // Never fails: when the control cannot be created IsAvailable is false.
  explicit TMPlayer(double frameRate);

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
  TVariant FPlayer;
  double FFrameRate;
  bool FAvailable;
};
