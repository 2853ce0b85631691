// Loop service: timers without a window, the loop's clock, work posted from
// any thread, watched handles, and the thread's message loop.
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

// A handle the loop can wait on: a descriptor on POSIX, a waitable HANDLE (an
// event, or the event of an overlapped operation) on Windows.
using TWaitHandle = intptr_t;
constexpr TWaitHandle NoWaitHandle = -1;

// What a watch waits for and what it found. On Windows a handle is only ever
// signalled: any wanted flag waits on it, and it comes back as wfReady.
enum : unsigned {
  wfRead = 1,   // bytes to read, or the peer has ended
  wfWrite = 2,  // room to write
  wfHangUp = 4, // the peer has gone or the handle failed (never asked for)
  wfReady = wfRead | wfWrite,
};

// A handle the loop waits on, asked afresh before every wait: `Wanted` gives
// the flags wanted now (0 for none, the handle is then left alone) and
// `Deadline` the moment, on the loop's clock, to call anyway (none when empty
// or infinite). `Ready` runs on the loop's thread, dispatched as a message,
// with the flags that came (0 when only the deadline passed).
struct TWatch {
  TWaitHandle Handle = NoWaitHandle;
  std::function<unsigned()> Wanted;
  std::function<double()> Deadline;
  std::function<void(unsigned ready)> Ready;
};

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

  // Safe from any thread: `work` runs on the loop's thread, dispatched as a
  // message, in the order posted. A player's own threads hand events over so.
  virtual void Post(std::function<void()> work) = 0;
  // Loop's thread only. Returns the watch's identifier for Unwatch, 0 when
  // the loop cannot wait on one more handle. A watch may unwatch itself (or
  // another) from its Ready.
  virtual uintptr_t Watch(TWatch watch) = 0;
  virtual void Unwatch(uintptr_t id) = 0;
};

// A watch of `handle` for reading alone: `ready` runs whenever it has
// something to read (or has ended). It should read a bounded amount, so timers
// keep their turn while the handle is busy.
uintptr_t WatchReadable(ILoop &loop, TWaitHandle handle, std::function<void()> ready);

std::unique_ptr<ILoop> CreatePlatformLoop();
