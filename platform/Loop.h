// Loop service: timers without a window, the loop's clock and the thread's
// message loop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// One message of the loop; on Windows a copy of the MSG fields.
struct TMessage {
  void *Window = nullptr;
  uint32_t Message = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;
  uint32_t Time = 0;
};

using TTimerProc = std::function<void()>;

class ILoop {
public:
  virtual ~ILoop() = default;
  // A periodic timer with no window; returns its identifier, 0 on failure.
  // Ticks do not pile up: a late tick is not made up.
  virtual uintptr_t SetTimer(uint32_t periodMs, TTimerProc proc) = 0;
  // A timer that fires once, `delayMs` from now (at least 1 ms), and is gone
  // once its procedure runs; KillTimer cancels it before that. Returns its
  // identifier, 0 on failure.
  virtual uintptr_t SetOneShotTimer(uint32_t delayMs, TTimerProc proc) = 0;
  virtual bool KillTimer(uintptr_t id) = 0;
  // Seconds on the loop's monotonic clock, the time base of its timers.
  virtual double Now() = 0;
  // Waits for the next message; 0 for the quit message, -1 on error.
  virtual int GetMessage(TMessage &message) = 0;
  virtual void TranslateMessage(const TMessage &message) = 0;
  // Runs the message's work (a timer tick calls its procedure).
  virtual void DispatchMessage(const TMessage &message) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
};

std::unique_ptr<ILoop> CreatePlatformLoop();
