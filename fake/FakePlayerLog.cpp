// The recording player log for tests.
#include "fake/FakePlayerLog.h"

void TFakePlayerLog::Capture(TLogLineProc write, bool show, bool verbose) {
  Calls.push_back(show ? "Capture(shown)" : "Capture(dropped)");
  WriteLine = std::move(write);
  Show = show;
  Verbose = verbose;
}

bool TFakePlayerLog::SetLogFile(const std::string &path, std::string &error) {
  if (path.rfind("/unwritable", 0) == 0) {
    error = "Permission denied";
    return false;
  }
  LogFile = path;
  return true;
}

void TFakePlayerLog::Notice(const std::string &message) { Notices.push_back(message); }

void TFakePlayerLog::Write(const std::string &message) { Messages.push_back(message); }

void TFakePlayerLog::SetFailureReason(const std::string &message) { Reason = message; }

void TFakePlayerLog::Release(bool runFailed) {
  Calls.push_back(runFailed ? "Release(failed)" : "Release(ok)");
  if (WriteLine && !LastWords.empty()) WriteLine(LastWords);
  LastWords.clear();
}
