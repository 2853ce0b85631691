// The POSIX message loop: timers without a window and work posted from other
// threads, both served by one poll() on a wake pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "platform/Loop.h"

class TPosixLoop : public ILoop {
public:
  static constexpr uint32_t TimerMessage = 0x0113; // WM_TIMER
  static constexpr uint32_t WorkMessage = 0x8001;  // WM_APP + 1
  static constexpr uint32_t InputMessage = 0x8002; // WM_APP + 2

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

  // Main thread: `ready` runs, dispatched as a message, whenever `fd` has
  // something to read (or has ended) and no timer is due. It should read a
  // bounded amount, so timers keep their turn while the descriptor is busy.
  void WatchInput(int fd, std::function<void()> ready);
  void UnwatchInput(int fd);

private:
  using TClock = std::chrono::steady_clock;
  struct TTimer {
    std::chrono::milliseconds Period;
    TClock::time_point Due;
    TTimerProc Proc;
    bool OneShot = false;
  };

  uintptr_t AddTimer(uint32_t ms, TTimerProc proc, bool oneShot);

  bool TakeWork(TMessage &message);
  bool TakeDueTimer(TMessage &message);
  bool TakeReadyInput(TMessage &message);
  void WaitForWake();
  void DrainWakePipe();

  int FWakeRead = -1;
  int FWakeWrite = -1;
  std::map<uintptr_t, TTimer> FTimers;
  uintptr_t FNextTimerId = 1;
  std::map<int, std::function<void()>> FWatched;
  // Watched descriptors the last wait found readable, not yet dispatched.
  std::deque<int> FReadyInputs;
  bool FQuitPosted = false;
  int FQuitCode = 0;

  std::mutex FWorkLock;
  std::deque<std::function<void()>> FPosted;
  // Work taken by GetMessage and waiting for DispatchMessage, by number.
  std::map<uintptr_t, std::function<void()>> FTaken;
  uintptr_t FNextWorkId = 1;
};

// The process's loop when it is the POSIX one, else null (the tests' fakes).
TPosixLoop *AsPosixLoop(ILoop &loop);
