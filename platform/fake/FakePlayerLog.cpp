// The recording player log for tests.
#include "platform/fake/FakePlayerLog.h"

void TFakePlayerLog::Capture(TLogLineProc write, bool show) {
  Calls.push_back(show ? "Capture(shown)" : "Capture(dropped)");
  WriteLine = std::move(write);
  Show = show;
}

void TFakePlayerLog::Write(const std::string &message) { Messages.push_back(message); }

void TFakePlayerLog::SetFailureReason(const std::string &message) { Reason = message; }

void TFakePlayerLog::Release(bool runFailed) {
  Calls.push_back(runFailed ? "Release(failed)" : "Release(ok)");
  if (WriteLine && !LastWords.empty()) WriteLine(LastWords);
  LastWords.clear();
}
