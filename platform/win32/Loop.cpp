// The loop service over the thread's Win32 message queue (user32): timers
// without a window (periodic and one-shot), the performance-counter clock,
// GetMessageA/TranslateMessage/DispatchMessageA, and PostQuitMessage. The same loop serves the
// window messages of any COM control created on this thread.
#include "platform/Loop.h"

#include "platform/win32/WindowsApi.h"

#include <exception>
#include <map>
#include <set>
#include <utility>

namespace {

// Timers without a window carry no user data, so their procedures are found
// by timer id. Such timers fire on the thread that set them, hence one table
// per thread.
thread_local std::map<UINT_PTR, TTimerProc> TimerProcs;
// Timers that fire once: their callback kills them before their procedure
// runs, so the procedure may set the next one.
thread_local std::set<UINT_PTR> OneShotTimers;

// A failure inside a timer procedure must not unwind through user32's
// frames; it is parked here and raised again once DispatchMessageA returns.
thread_local std::exception_ptr PendingFailure;

void CALLBACK TimerCallback(HWND, UINT, UINT_PTR id, DWORD) {
  auto found = TimerProcs.find(id);
  if (found == TimerProcs.end()) return;
  // A copy, so a procedure that kills its own timer does not destroy itself.
  TTimerProc proc = found->second;
  if (OneShotTimers.erase(id) > 0) {
    ::KillTimer(nullptr, id);
    TimerProcs.erase(id);
  }
  try {
    proc();
  } catch (...) {
    PendingFailure = std::current_exception();
  }
}

// The message as the system gave it when it is the one last retrieved (so
// its point and private fields survive), else rebuilt from the copy.
MSG ToMsg(const TMessage &message, const MSG &last) {
  if (message.Window == last.hwnd && message.Message == last.message &&
      message.WParam == last.wParam && message.LParam == last.lParam && message.Time == last.time)
    return last;
  MSG msg{};
  msg.hwnd = static_cast<HWND>(message.Window);
  msg.message = message.Message;
  msg.wParam = message.WParam;
  msg.lParam = message.LParam;
  msg.time = message.Time;
  return msg;
}

class TWin32Loop : public ILoop {
public:
  // A loop's timers end with it.
  ~TWin32Loop() override {
    for (UINT_PTR id : FTimers) {
      ::KillTimer(nullptr, id);
      TimerProcs.erase(id);
    }
    for (UINT_PTR id : OneShotTimers) {
      ::KillTimer(nullptr, id);
      TimerProcs.erase(id);
    }
    OneShotTimers.clear();
  }

  uintptr_t SetTimer(uint32_t periodMs, TTimerProc proc) override {
    UINT_PTR id = ::SetTimer(nullptr, 0, periodMs, TimerCallback);
    if (id == 0) return 0;
    TimerProcs[id] = std::move(proc);
    FTimers.insert(id);
    return id;
  }

  // A second timer of the same kind, killed by its own callback: the wait
  // stays in GetMessageA, so window messages are served as before.
  uintptr_t SetOneShotTimer(uint32_t delayMs, TTimerProc proc) override {
    UINT_PTR id = ::SetTimer(nullptr, 0, delayMs == 0 ? 1 : delayMs, TimerCallback);
    if (id == 0) return 0;
    TimerProcs[id] = std::move(proc);
    OneShotTimers.insert(id);
    return id;
  }

  bool KillTimer(uintptr_t id) override {
    TimerProcs.erase(id);
    OneShotTimers.erase(id);
    FTimers.erase(id);
    return ::KillTimer(nullptr, id) != 0;
  }

  // The counter's frequency is fixed at boot: it is asked for once.
  double Now() override {
    static const double frequency = [] {
      LARGE_INTEGER value;
      ::QueryPerformanceFrequency(&value);
      return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / frequency;
  }

  int GetMessage(TMessage &message) override {
    MSG &msg = FLast;
    msg = MSG{};
    BOOL result = ::GetMessageA(&msg, nullptr, 0, 0);
    if (result == -1) return -1;
    message.Window = msg.hwnd;
    message.Message = msg.message;
    message.WParam = msg.wParam;
    message.LParam = msg.lParam;
    message.Time = msg.time;
    return result == 0 ? 0 : 1;
  }

  void TranslateMessage(const TMessage &message) override {
    MSG msg = ToMsg(message, FLast);
    ::TranslateMessage(&msg);
  }

  void DispatchMessage(const TMessage &message) override {
    MSG msg = ToMsg(message, FLast);
    ::DispatchMessageA(&msg);
    if (PendingFailure) std::rethrow_exception(std::exchange(PendingFailure, nullptr));
  }

  void PostQuitMessage(int exitCode) override { ::PostQuitMessage(exitCode); }

private:
  std::set<UINT_PTR> FTimers;
  MSG FLast{};
};

} // namespace

std::unique_ptr<ILoop> CreatePlatformLoop() { return std::make_unique<TWin32Loop>(); }
