// The base of the players that follow a player running outside the program
// (over a socket or a bus): positions from a followed clock turned into
// frames, the seek rule, and the one ending when the followed player goes.
#pragma once

#include <functional>
#include <string>

#include "platform/InterfacedObject.h"
#include "player/UntVideoIF.h"
#include "player/follow/FollowClock.h"

// Told once, with one line for the user, when the followed player has gone.
using TEndedProc = std::function<void(const std::string &)>;
using TNowProc = std::function<TFollowTime()>;

class TFollowPlayer : public TInterfacedObject<IVideoPlayer> {
public:
  double GetPosition() override;
  void SetPosition(double position) override;
  std::string GetFileName() override { return FFileName; }
  // The followed player already has its file: the name is only kept.
  void SetFileName(const std::string &name) override { FFileName = name; }
  int32_t GetState() override;
  void Start() override {}
  void Close() override;
  bool IsAvailable() override { return FAvailable; }
  void Seek(int32_t direction, double amount) override;

  // Frames per second that turn the player's seconds into frames.
  double FrameRate() const { return FFrameRate; }
  // Why the player is not available, for the fatal error.
  const std::string &Failure() const { return FFailure; }

protected:
  TFollowPlayer(double frameRate, TEndedProc ended, TNowProc now);

  virtual int32_t State() = 0;
  // Asks the followed player for an exact move to `seconds`.
  virtual void SeekSeconds(double seconds) = 0;
  virtual void Disconnect() = 0;

  // Raises the error of a player with no connection (closed or never made).
  void RequireConnection() const;
  // The followed player has gone: tells the driver once.
  void End(const std::string &line);
  void Fail(const std::string &why);
  TFollowTime Now() const { return FNow(); }

  TFollowClock Clock;
  double FFrameRate;
  bool FAvailable = false;
  bool FEnded = false;

private:
  TEndedProc FEndedProc;
  TNowProc FNow;
  std::string FFileName;
  std::string FFailure;
};
