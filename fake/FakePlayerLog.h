// A player log for the tests: records when capture begins and ends and what
// the player said, and can leave last words in the log when released.
#pragma once

#include <string>
#include <vector>

#include "platform/PlayerLog.h"

class TFakePlayerLog : public IPlayerLog {
public:
  void Capture(TLogLineProc write, bool show, bool verbose = false) override;
  bool SetLogFile(const std::string &path, std::string &error) override;
  void Notice(const std::string &message) override;
  void Write(const std::string &message) override;
  void SetFailureReason(const std::string &message) override;
  void Release(bool runFailed) override;

  // "Capture(shown)", "Capture(dropped)", "Release(failed)", "Release(ok)".
  std::vector<std::string> Calls;
  TLogLineProc WriteLine;
  bool Show = false;
  bool Verbose = false;
  // The file asked for; a name starting "/unwritable" is refused.
  std::string LogFile;
  std::vector<std::string> Notices;
  // The player's messages and its failure reason, as given.
  std::vector<std::string> Messages;
  std::string Reason;
  // Written through the capture's line writer when it is released.
  std::string LastWords;
};
