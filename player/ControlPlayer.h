// TControlPlayer: the base of the players that drive a COM-style control by
// ProgID: the control, its creation, the file-name calls, Close and the seek
// rule. A player over a new control adds only what its vocabulary differs in.
#pragma once

#include <string>

#include "platform/Automation.h"
#include "platform/InterfacedObject.h"
#include "player/UntVideoIF.h"

class TControlPlayer : public TInterfacedObject<IVideoPlayer> {
public:
  std::string GetFileName() override;
  void SetFileName(const std::string &name) override;
  void Close() override;
  bool IsAvailable() override;
  // To SeekTarget of the position.
  void Seek(int32_t direction, double amount) override;

protected:
  // Never fails: when the control cannot be created IsAvailable is false.
  TControlPlayer(const std::string &progId, double frameRate);

  // Seconds at the frame rate as a whole 32-bit frame number, truncated; a
  // hair below a frame's start (1.001 s at 30000/1001 frames a second gives
  // 29.999999999999996) still names that frame.
  double FramesOfSeconds(double seconds) const;
  // A frame number in seconds; false when the rate names no time (rate 0),
  // so the video is left where it is rather than sent somewhere undefined.
  bool SecondsOfFrames(double frames, double &seconds) const;

  TVariant FPlayer;
  double FFrameRate;

private:
  bool FAvailable;
};
