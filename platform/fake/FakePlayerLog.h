// A player log for the driver's tests: records when capture begins and ends,
// and lets a test speak as the player.
#pragma once

#include <string>
#include <vector>

#include "platform/PlayerLog.h"

class TFakePlayerLog : public IPlayerLog {
public:
  void Capture(TLogLineProc write, bool show) override;
  void Write(const std::string &message) override;
  void SetFailureReason(const std::string &message) override;
  void Release(bool runFailed) override;

  // "Capture(shown)", "Capture(dropped)", "Release(failed)", "Release(ok)".
  std::vector<std::string> Calls;
  TLogLineProc WriteLine;
  bool Show = false;
};
