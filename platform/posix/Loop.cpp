// The POSIX message loop: GetMessage waits in poll() on a wake pipe and the
// watched descriptors, with the next timer or watch deadline as its timeout.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/posix/PollFlags.h"
#include "platform/posix/PosixLoop.h"

namespace {

// A deadline on the loop's clock as a moment of the steady clock.
TPosixLoop::TClock::time_point SteadyMoment(double seconds) {
  if (!(seconds < 1e9)) return TPosixLoop::TClock::time_point::max();
  return TPosixLoop::TClock::time_point(std::chrono::duration_cast<TPosixLoop::TClock::duration>(
      std::chrono::duration<double>(seconds)));
}

void MakePipe(int &readEnd, int &writeEnd) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd = fds[0];
  writeEnd = fds[1];
}

} // namespace

TPosixLoop::TPosixLoop() { MakePipe(FWakeRead, FWakeWrite); }

TPosixLoop::~TPosixLoop() {
  if (FWakeRead >= 0) close(FWakeRead);
  if (FWakeWrite >= 0) close(FWakeWrite);
}

uintptr_t TPosixLoop::SetTimer(uint32_t periodMs, TTimerProc proc) {
  return AddTimer(periodMs, std::move(proc), false);
}

uintptr_t TPosixLoop::SetOneShotTimer(uint32_t delayMs, TTimerProc proc) {
  return AddTimer(delayMs, std::move(proc), true);
}

uintptr_t TPosixLoop::AddTimer(uint32_t ms, TTimerProc proc, bool oneShot) {
  if (ms == 0) ms = 1;
  uintptr_t id = FNextTimerId++;
  std::chrono::milliseconds period(ms);
  FTimers[id] = TTimer{period, TClock::now() + period, std::move(proc), oneShot};
  return id;
}

bool TPosixLoop::KillTimer(uintptr_t id) { return FTimers.erase(id) > 0; }

double TPosixLoop::Now() {
  return std::chrono::duration<double>(TClock::now().time_since_epoch()).count();
}

int TPosixLoop::GetMessage(TMessage &message) {
  for (;;) {
    message = TMessage{};
    // The quit message comes ahead of anything else still waiting.
    if (FQuitPosted) {
      FQuitPosted = false;
      message.WParam = static_cast<uintptr_t>(FQuitCode);
      return 0;
    }
    if (FWork.TakeMessage(message) || TakeDueTimer(message) || FWatches.TakeMessage(message))
      return 1;
    WaitForWake();
  }
}

void TPosixLoop::TranslateMessage(const TMessage &) {}

void TPosixLoop::DispatchMessage(const TMessage &message) {
  if (message.Message == TimerMessage) {
    auto timer = FTimers.find(message.WParam);
    if (timer == FTimers.end()) return;   // killed since it was taken
    TTimerProc proc = timer->second.Proc; // the procedure may kill its timer
    if (timer->second.OneShot) FTimers.erase(timer);
    if (proc) proc();
  } else if (message.Message == WorkMessage) {
    FWork.Run(message);
  } else if (message.Message == WatchMessage) {
    FWatches.Run(message);
  }
}

void TPosixLoop::PostQuitMessage(int exitCode) {
  FQuitPosted = true;
  FQuitCode = exitCode;
}

void TPosixLoop::Post(std::function<void()> work) {
  FWork.Post(std::move(work));
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  char byte = 1;
  if (FWakeWrite >= 0) (void)!write(FWakeWrite, &byte, 1);
}

// One message for the timer that is most overdue. Its next tick is one period
// after the one just missed, or one period from now when a whole period has
// gone by: late ticks are not made up.
bool TPosixLoop::TakeDueTimer(TMessage &message) {
  auto now = TClock::now();
  auto due = FTimers.end();
  for (auto it = FTimers.begin(); it != FTimers.end(); ++it)
    if (it->second.Due <= now && (due == FTimers.end() || it->second.Due < due->second.Due))
      due = it;
  if (due == FTimers.end()) return false;
  TTimer &timer = due->second;
  timer.Due += timer.Period;
  if (timer.Due <= now) timer.Due = now + timer.Period;
  // A one-shot timer is not taken again while its message waits.
  if (timer.OneShot) timer.Due = TClock::time_point::max();
  message.Message = TimerMessage;
  message.WParam = due->first;
  message.Time = static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count());
  return true;
}

uintptr_t TPosixLoop::Watch(TWatch watch) { return FWatches.Add(std::move(watch)); }

void TPosixLoop::Unwatch(uintptr_t id) { FWatches.Remove(id); }

// Sleeps until the next timer or watch deadline, a watched descriptor is
// ready, or another thread posts work. A signal that interrupts the wait just
// starts the next round of GetMessage. The timeout is exact to the
// microsecond, so a one-shot wake lands on its moment rather than on the next
// whole millisecond.
void TPosixLoop::WaitForWake() {
  auto next = TClock::time_point::max();
  for (auto &[id, timer] : FTimers)
    next = std::min(next, timer.Due);
  std::vector<pollfd> fds{{FWakeRead, POLLIN, 0}};
  std::vector<uintptr_t> ids{0};
  for (auto &[id, watch] : FWatches.All()) {
    next = std::min(next, SteadyMoment(TWatchTable::DeadlineOf(watch)));
    short events = PollEvents(TWatchTable::WantedOf(watch));
    if (events != 0) {
      fds.push_back({static_cast<int>(watch.Handle), events, 0});
      ids.push_back(id);
    }
  }
  timespec timeout{};
  timespec *timeoutPointer = nullptr;
  if (next != TClock::time_point::max()) {
    auto wait = std::chrono::ceil<std::chrono::microseconds>(next - TClock::now()).count();
    if (wait < 0) wait = 0;
    timeout.tv_sec = static_cast<time_t>(wait / 1000000);
    timeout.tv_nsec = static_cast<long>(wait % 1000000) * 1000;
    timeoutPointer = &timeout;
  }
  pollfd *first = FWakeRead >= 0 ? fds.data() : fds.data() + 1;
  int ready = ppoll(first, fds.size() - (first - fds.data()), timeoutPointer, nullptr);
  if (ready > 0 && fds[0].revents) DrainWakePipe();
  // Ready descriptors first, then watches whose deadline has passed.
  for (size_t i = 1; i < fds.size(); ++i)
    if (ready > 0 && fds[i].revents) FWatches.MarkReady(ids[i], WatchFlags(fds[i].revents));
  FWatches.MarkDeadlinesPassed(Now());
}

void TPosixLoop::DrainWakePipe() {
  char bytes[64];
  while (read(FWakeRead, bytes, sizeof bytes) > 0) {
  }
}

std::unique_ptr<ILoop> CreatePlatformLoop() { return std::make_unique<TPosixLoop>(); }
