// The POSIX message loop: timers without a window, work posted from other
// threads and watched descriptors, all served by one poll() on a wake pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/Loop.h"
#include "platform/LoopParts.h"

class TPosixLoop : public ILoop {
public:
  static constexpr uint32_t TimerMessage = 0x0113; // WM_TIMER
  using TClock = std::chrono::steady_clock;

  TPosixLoop();
  ~TPosixLoop() override;
  TPosixLoop(const TPosixLoop &) = delete;
  TPosixLoop &operator=(const TPosixLoop &) = delete;

  uintptr_t SetTimer(uint32_t periodMs, TTimerProc proc) override;
  uintptr_t SetOneShotTimer(uint32_t delayMs, TTimerProc proc) override;
  bool KillTimer(uintptr_t id) override;
  double Now() override;
  int GetMessage(TMessage &message) override;
  void TranslateMessage(const TMessage &message) override;
  void DispatchMessage(const TMessage &message) override;
  void PostQuitMessage(int exitCode) override;

  void Post(std::function<void()> work) override;
  uintptr_t Watch(TWatch watch) override;
  void Unwatch(uintptr_t id) override;

private:
  struct TTimer {
    std::chrono::milliseconds Period;
    TClock::time_point Due;
    TTimerProc Proc;
    bool OneShot = false;
  };

  uintptr_t AddTimer(uint32_t ms, TTimerProc proc, bool oneShot);

  bool TakeDueTimer(TMessage &message);
  void WaitForWake();
  void DrainWakePipe();

  int FWakeRead = -1;
  int FWakeWrite = -1;
  std::map<uintptr_t, TTimer> FTimers;
  uintptr_t FNextTimerId = 1;
  bool FQuitPosted = false;
  int FQuitCode = 0;

  TPostedWork FWork;
  TWatchTable FWatches;
};
