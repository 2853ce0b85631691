// The POSIX message loop: GetMessage waits in poll() on a wake pipe with the
// next timer deadline as its timeout.
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "platform/posix/PosixLoop.h"

namespace {

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
    if (TakeWork(message) || TakeDueTimer(message) || TakeReadyInput(message)) return 1;
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
  } else if (message.Message == InputMessage) {
    auto watch = FWatched.find(static_cast<int>(message.WParam));
    if (watch == FWatched.end()) return;         // no longer watched
    std::function<void()> ready = watch->second; // it may unwatch itself
    if (ready) ready();
  } else if (message.Message == WorkMessage) {
    std::function<void()> work;
    {
      std::lock_guard<std::mutex> lock(FWorkLock);
      auto taken = FTaken.find(message.WParam);
      if (taken == FTaken.end()) return;
      work = std::move(taken->second);
      FTaken.erase(taken);
    }
    if (work) work();
  }
}

void TPosixLoop::PostQuitMessage(int exitCode) {
  FQuitPosted = true;
  FQuitCode = exitCode;
}

void TPosixLoop::PostWork(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(FWorkLock);
    FPosted.push_back(std::move(work));
  }
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  char byte = 1;
  if (FWakeWrite >= 0) (void)!write(FWakeWrite, &byte, 1);
}

bool TPosixLoop::TakeWork(TMessage &message) {
  std::lock_guard<std::mutex> lock(FWorkLock);
  if (FPosted.empty()) return false;
  uintptr_t id = FNextWorkId++;
  FTaken[id] = std::move(FPosted.front());
  FPosted.pop_front();
  message.Message = WorkMessage;
  message.WParam = id;
  return true;
}

void TPosixLoop::WatchInput(int fd, std::function<void()> ready) {
  if (fd >= 0) FWatched[fd] = std::move(ready);
}

void TPosixLoop::UnwatchInput(int fd) {
  FWatched.erase(fd);
  std::erase(FReadyInputs, fd);
}

bool TPosixLoop::TakeReadyInput(TMessage &message) {
  while (!FReadyInputs.empty()) {
    const int fd = FReadyInputs.front();
    FReadyInputs.pop_front();
    if (!FWatched.count(fd)) continue;
    message.Message = InputMessage;
    message.WParam = static_cast<uintptr_t>(fd);
    return true;
  }
  return false;
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

// Sleeps until the next timer is due, another thread posts work or a watched
// descriptor has input. A signal that interrupts the wait just starts the
// next round of GetMessage. The timeout is exact to the microsecond, so a
// one-shot wake lands on its moment rather than on the next whole millisecond.
void TPosixLoop::WaitForWake() {
  timespec timeout{};
  timespec *timeoutPointer = nullptr;
  auto next = TClock::time_point::max();
  for (auto &[id, timer] : FTimers)
    if (timer.Due < next) next = timer.Due;
  if (next != TClock::time_point::max()) {
    auto wait = std::chrono::ceil<std::chrono::microseconds>(next - TClock::now()).count();
    if (wait < 0) wait = 0;
    timeout.tv_sec = static_cast<time_t>(wait / 1000000);
    timeout.tv_nsec = static_cast<long>(wait % 1000000) * 1000;
    timeoutPointer = &timeout;
  }
  std::vector<pollfd> fds;
  if (FWakeRead >= 0) fds.push_back(pollfd{FWakeRead, POLLIN, 0});
  for (auto &[fd, ready] : FWatched)
    fds.push_back(pollfd{fd, POLLIN, 0});
  if (ppoll(fds.data(), fds.size(), timeoutPointer, nullptr) <= 0) return;
  for (const pollfd &fd : fds) {
    if (fd.revents == 0) continue;
    if (fd.fd == FWakeRead)
      DrainWakePipe();
    else
      FReadyInputs.push_back(fd.fd);
  }
}

void TPosixLoop::DrainWakePipe() {
  char bytes[64];
  while (read(FWakeRead, bytes, sizeof bytes) > 0) {
  }
}

TPosixLoop *AsPosixLoop(ILoop &loop) { return dynamic_cast<TPosixLoop *>(&loop); }

std::unique_ptr<ILoop> CreatePlatformLoop() { return std::make_unique<TPosixLoop>(); }
