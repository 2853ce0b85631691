// The loop service over the thread's Win32 message queue (user32): timers
// without a window (periodic and one-shot), the performance-counter clock,
// the thread's messages, work posted from other threads and watched handles,
// all waited for in one MsgWaitForMultipleObjectsEx. The same loop serves the
// window messages of any COM control created on this thread.
#include "platform/Loop.h"
#include "platform/LoopParts.h"

#include "platform/win32/WindowsApi.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <set>
#include <utility>
#include <vector>

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

// The loop's own messages (LoopParts.h) are window-less, so no window
// procedure ever sees them.
// MsgWaitForMultipleObjectsEx waits on at most MAXIMUM_WAIT_OBJECTS - 1
// handles; one of them is the wake event.
constexpr size_t MaxWatchedHandles = MAXIMUM_WAIT_OBJECTS - 2;

class TWin32Loop : public ILoop {
public:
  TWin32Loop() : FWake(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

  // A loop's timers end with it.
  ~TWin32Loop() override {
    if (FWake) ::CloseHandle(FWake);
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
  // stays in the one wait of GetMessage, so window messages are served as before.
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

  // The thread's own messages first (the quit message among them), then
  // posted work, then ready watches; with none of them, one wait for all.
  int GetMessage(TMessage &message) override {
    for (;;) {
      MSG &msg = FLast;
      msg = MSG{};
      message = TMessage{};
      if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        message.Window = msg.hwnd;
        message.Message = msg.message;
        message.WParam = msg.wParam;
        message.LParam = msg.lParam;
        message.Time = msg.time;
        return msg.message == WM_QUIT ? 0 : 1;
      }
      if (FWork.TakeMessage(message) || FWatches.TakeMessage(message)) return 1;
      if (!Wait()) return -1;
    }
  }

  void TranslateMessage(const TMessage &message) override {
    MSG msg = ToMsg(message, FLast);
    ::TranslateMessage(&msg);
  }

  void DispatchMessage(const TMessage &message) override {
    if (message.Window == nullptr && message.Message == WorkMessage) return FWork.Run(message);
    if (message.Window == nullptr && message.Message == WatchMessage) return FWatches.Run(message);
    MSG msg = ToMsg(message, FLast);
    ::DispatchMessageA(&msg);
    if (PendingFailure) std::rethrow_exception(std::exchange(PendingFailure, nullptr));
  }

  void PostQuitMessage(int exitCode) override { ::PostQuitMessage(exitCode); }

  void Post(std::function<void()> work) override {
    FWork.Post(std::move(work));
    ::SetEvent(FWake);
  }

  uintptr_t Watch(TWatch watch) override {
    if (watch.Handle != NoWaitHandle && FWatches.HandleCount() >= MaxWatchedHandles) return 0;
    return FWatches.Add(std::move(watch));
  }

  void Unwatch(uintptr_t id) override { FWatches.Remove(id); }

private:
  // Sleeps until a message comes, work is posted, a watched handle is
  // signalled or a watch's deadline passes. Every handle signalled by then is
  // found ready, not only the first.
  bool Wait() {
    std::vector<HANDLE> handles{FWake};
    std::vector<uintptr_t> ids{0};
    double next = HUGE_VAL;
    for (auto &[id, watch] : FWatches.All()) {
      next = std::min(next, TWatchTable::DeadlineOf(watch));
      if (TWatchTable::WantedOf(watch) != 0) {
        handles.push_back(reinterpret_cast<HANDLE>(watch.Handle));
        ids.push_back(id);
      }
    }
    DWORD timeout = INFINITE;
    if (next != HUGE_VAL) {
      double ms = std::ceil((next - Now()) * 1000.0);
      timeout = ms <= 0 ? 0 : ms >= 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(ms);
    }
    DWORD woke = ::MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(),
                                               timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) return false;
    size_t first = woke < WAIT_OBJECT_0 + handles.size() ? woke - WAIT_OBJECT_0 : handles.size();
    for (size_t i = 1; i < handles.size(); ++i)
      if (i == first || (i > first && ::WaitForSingleObject(handles[i], 0) == WAIT_OBJECT_0))
        FWatches.MarkReady(ids[i], wfReady);
    FWatches.MarkDeadlinesPassed(Now());
    return true;
  }

  std::set<UINT_PTR> FTimers;
  MSG FLast{};
  HANDLE FWake = nullptr;
  TPostedWork FWork;
  TWatchTable FWatches;
};

} // namespace

std::unique_ptr<ILoop> CreatePlatformLoop() { return std::make_unique<TWin32Loop>(); }
