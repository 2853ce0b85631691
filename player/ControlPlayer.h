// TControlPlayer: the base of the players that drive a COM-style control by
// ProgID: the control, its creation, the file-name calls, Close and the seek
// rule. A player over a new control adds only what its vocabulary differs in.
#pragma once

#include <string>

#include "player/Automation.h"
#include "player/InterfacedObject.h"
#include "player/UntVideoIF.h"

class TControlPlayer : public TInterfacedObject<IVideoPlayer> {
public:
  std::string GetFileName() override;
  void SetFileName(const std::string &name) override;
  void Close() override;
  bool IsAvailable() override;
  // Backward (direction 1) by `amount` frames, never below 0; any other
  // direction forward, without an upper bound.
  void Seek(int32_t direction, double amount) override;

protected:
  // Never fails: when the control cannot be created IsAvailable is false.
  TControlPlayer(const std::string &progId, double frameRate);

  TVariant FPlayer;
  double FFrameRate;

private:
  bool FAvailable;
};
