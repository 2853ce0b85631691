// A manual loop for the tests: timers tick only when a test asks, messages
// come from a queue, PostQuitMessage is recorded, a fake clock runs the
// one-shot timers when a test moves it on, posted work waits for RunPosted
// and watches are kept for a test to fire.
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
  // One-shot timers are kept apart from the periodic ones: they are not in
  // Calls, Timers or Killed, and only the clock fires them.
  uintptr_t SetOneShotTimer(uint32_t delayMs, TTimerProc proc) override;
  bool KillTimer(uintptr_t id) override;
  double Now() override { return Clock; }
  // The quit message first once posted, then queued messages, then the
  // ticks asked for with QueueTicks; -1 when nothing is left, so a loop under
  // test can never wait forever.
  int GetMessage(TMessage &message) override;
  void TranslateMessage(const TMessage &message) override;
  void DispatchMessage(const TMessage &message) override;
  void PostQuitMessage(int exitCode) override;
  void Post(std::function<void()> work) override { Posted.push_back(std::move(work)); }
  uintptr_t Watch(TWatch watch) override;
  void Unwatch(uintptr_t id) override { Watches.erase(id); }

  // Runs the work posted so far, and what it posts in turn, in order.
  void RunPosted();
  // Calls the watch's Ready with `flags`, as the loop would; false when no
  // such watch is kept.
  bool FireWatch(uintptr_t id, unsigned flags);

  // Runs every live timer's procedure once, now.
  void Tick();
  // Makes GetMessage deliver `count` timer messages for each live timer.
  void QueueTicks(int count);

  // Moves the clock to `moment`, firing on the way every one-shot timer that
  // falls due, each at its own moment and in order of their moments.
  void RunClockTo(double moment);
  void RunClockBy(double seconds) { RunClockTo(Clock + seconds); }
  // The moment the earliest one-shot timer is due; -1 when none is set.
  double NextOneShot() const;

  struct TTimer {
    uint32_t PeriodMs = 0;
    TTimerProc Proc;
  };
  struct TOneShot {
    double Due = 0;
    TTimerProc Proc;
  };
  std::map<uintptr_t, TOneShot> OneShots;
  // The clock's reading (seconds) at each one-shot timer that fired.
  std::vector<double> OneShotsFired;
  double Clock = 1000;
  std::map<uintptr_t, TTimer> Timers;
  std::vector<uintptr_t> Killed;
  std::deque<TMessage> Messages;
  std::deque<std::function<void()>> Posted;
  std::map<uintptr_t, TWatch> Watches;
  // Every call in order, e.g. "SetTimer(180)", "PostQuitMessage(0)".
  std::vector<std::string> Calls;
  bool QuitPosted = false;
  int QuitCode = 0;
  int Dispatched = 0;

private:
  uintptr_t FNextId = 1;
  bool FQuitDelivered = false;
};
