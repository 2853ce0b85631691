// A manual loop for the tests: timers tick only when a test asks, messages
// come from a queue, and PostQuitMessage is recorded.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/Loop.h"

class TFakeLoop : public ILoop {
public:
  static constexpr uint32_t TimerMessage = 0x0113; // WM_TIMER

  uintptr_t SetTimer(uint32_t periodMs, TTimerProc proc) override;
  bool KillTimer(uintptr_t id) override;
  // The quit message first once posted, then queued messages, then the
  // ticks asked for with QueueTicks; -1 when nothing is left, so a loop under
  // test can never wait forever.
  int GetMessage(TMessage &message) override;
  void TranslateMessage(const TMessage &message) override;
  void DispatchMessage(const TMessage &message) override;
  void PostQuitMessage(int exitCode) override;

  // Runs every live timer's procedure once, now.
  void Tick();
  // Makes GetMessage deliver `count` timer messages for each live timer.
  void QueueTicks(int count);

  struct TTimer {
    uint32_t PeriodMs = 0;
    TTimerProc Proc;
  };
  std::map<uintptr_t, TTimer> Timers;
  std::vector<uintptr_t> Killed;
  std::deque<TMessage> Messages;
  // Every call in order, e.g. "SetTimer(180)", "PostQuitMessage(0)".
  std::vector<std::string> Calls;
  bool QuitPosted = false;
  int QuitCode = 0;
  int Dispatched = 0;

private:
  uintptr_t FNextId = 1;
  bool FQuitDelivered = false;
};
