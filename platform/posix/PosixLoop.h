// The POSIX message loop: timers without a window, work posted from other
// threads and watched descriptors, all served by one poll() on a wake pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Loop.h"

class TPosixLoop : public ILoop {
public:
  static constexpr uint32_t TimerMessage = 0x0113; // WM_TIMER
  static constexpr uint32_t WorkMessage = 0x8001;  // WM_APP + 1
  static constexpr uint32_t WatchMessage = 0x8002; // WM_APP + 2
  using TClock = std::chrono::steady_clock;

  // A descriptor the loop waits on, asked afresh before every wait: `Events`
  // gives the poll flags wanted now (0 for none) and `Deadline` the moment to
  // call anyway (TClock::time_point::max() for none). `Ready` runs on the
  // loop's thread, dispatched as a message, with the flags that came (0 when
  // only the deadline passed). Connections to players are served this way.
  struct TWatch {
    int Descriptor = -1;
    std::function<short()> Events;
    std::function<TClock::time_point()> Deadline;
    std::function<void(short)> Ready;
  };

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

  // Safe from any thread: `work` runs on the loop's thread, dispatched as a
  // message. Used by the player engine's wakeup callback.
  void PostWork(std::function<void()> work);

  // Main thread only. Returns the watch's identifier for Unwatch.
  uintptr_t Watch(TWatch watch);
  void Unwatch(uintptr_t id);

  // Main thread: `ready` runs, dispatched as a message, whenever `fd` has
  // something to read (or has ended). It should read a bounded amount, so
  // timers keep their turn while the descriptor is busy. One watch per fd.
  void WatchInput(int fd, std::function<void()> ready);
  void UnwatchInput(int fd);

private:
  struct TTimer {
    std::chrono::milliseconds Period;
    TClock::time_point Due;
    TTimerProc Proc;
    bool OneShot = false;
  };

  uintptr_t AddTimer(uint32_t ms, TTimerProc proc, bool oneShot);

  bool TakeWork(TMessage &message);
  bool TakeDueTimer(TMessage &message);
  bool TakeReadyWatch(TMessage &message);
  void WaitForWake();
  void DrainWakePipe();

  int FWakeRead = -1;
  int FWakeWrite = -1;
  std::map<uintptr_t, TTimer> FTimers;
  uintptr_t FNextTimerId = 1;
  bool FQuitPosted = false;
  int FQuitCode = 0;

  std::mutex FWorkLock;
  std::deque<std::function<void()>> FPosted;
  // Work taken by GetMessage and waiting for DispatchMessage, by number.
  std::map<uintptr_t, std::function<void()>> FTaken;
  uintptr_t FNextWorkId = 1;

  std::map<uintptr_t, TWatch> FWatches;
  uintptr_t FNextWatchId = 1;
  // The watch serving each descriptor given to WatchInput.
  std::map<int, uintptr_t> FInputWatches;
  // Watches found ready by the last wait, with their flags, not yet taken.
  std::deque<std::pair<uintptr_t, short>> FReadyWatches;
};

// The process's loop when it is the POSIX one, else null (the tests' fakes).
TPosixLoop *AsPosixLoop(ILoop &loop);
