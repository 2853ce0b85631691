// The manual loop of the tests.
#include "fake/FakeLoop.h"

uintptr_t TFakeLoop::SetTimer(uint32_t periodMs, TTimerProc proc) {
  Calls.push_back("SetTimer(" + std::to_string(periodMs) + ")");
  uintptr_t id = FNextId++;
  Timers[id] = TTimer{periodMs, std::move(proc)};
  return id;
}

uintptr_t TFakeLoop::SetOneShotTimer(uint32_t delayMs, TTimerProc proc) {
  uintptr_t id = FNextId++;
  OneShots[id] = TOneShot{Clock + (delayMs == 0 ? 1 : delayMs) / 1000.0, std::move(proc)};
  return id;
}

double TFakeLoop::NextOneShot() const {
  double next = -1;
  for (auto &[id, shot] : OneShots)
    if (next < 0 || shot.Due < next) next = shot.Due;
  return next;
}

void TFakeLoop::RunClockTo(double moment) {
  for (;;) {
    auto next = OneShots.end();
    for (auto it = OneShots.begin(); it != OneShots.end(); ++it)
      if (it->second.Due <= moment && (next == OneShots.end() || it->second.Due < next->second.Due))
        next = it;
    if (next == OneShots.end()) break;
    if (next->second.Due > Clock) Clock = next->second.Due;
    TTimerProc proc = std::move(next->second.Proc);
    OneShots.erase(next);
    OneShotsFired.push_back(Clock);
    if (proc) proc();
  }
  if (moment > Clock) Clock = moment;
}

bool TFakeLoop::KillTimer(uintptr_t id) {
  if (OneShots.erase(id) > 0) return true;
  Calls.push_back("KillTimer(" + std::to_string(id) + ")");
  Killed.push_back(id);
  return Timers.erase(id) > 0;
}

int TFakeLoop::GetMessage(TMessage &message) {
  Calls.push_back("GetMessage");
  message = TMessage{};
  if (QuitPosted && !FQuitDelivered) {
    FQuitDelivered = true;
    message.WParam = static_cast<uintptr_t>(QuitCode);
    return 0;
  }
  if (Messages.empty()) return -1;
  message = Messages.front();
  Messages.pop_front();
  return 1;
}

void TFakeLoop::TranslateMessage(const TMessage &) { Calls.push_back("TranslateMessage"); }

void TFakeLoop::DispatchMessage(const TMessage &message) {
  Calls.push_back("DispatchMessage");
  ++Dispatched;
  if (message.Message != TimerMessage) return;
  auto timer = Timers.find(message.WParam);
  if (timer != Timers.end() && timer->second.Proc) timer->second.Proc();
}

void TFakeLoop::PostQuitMessage(int exitCode) {
  Calls.push_back("PostQuitMessage(" + std::to_string(exitCode) + ")");
  QuitPosted = true;
  QuitCode = exitCode;
}

void TFakeLoop::Tick() {
  // Copy first: a procedure may kill or set timers.
  std::vector<TTimerProc> procs;
  for (auto &[id, timer] : Timers)
    procs.push_back(timer.Proc);
  for (auto &proc : procs)
    if (proc) proc();
}

void TFakeLoop::QueueTicks(int count) {
  for (int i = 0; i < count; ++i)
    for (auto &[id, timer] : Timers) {
      TMessage message;
      message.Message = TimerMessage;
      message.WParam = id;
      Messages.push_back(message);
    }
}

uintptr_t TFakeLoop::Watch(TWatch watch) {
  uintptr_t id = FNextId++;
  Watches[id] = std::move(watch);
  return id;
}

void TFakeLoop::RunPosted() {
  while (!Posted.empty()) {
    auto work = std::move(Posted.front());
    Posted.pop_front();
    if (work) work();
  }
}

bool TFakeLoop::FireWatch(uintptr_t id, unsigned flags) {
  auto watch = Watches.find(id);
  if (watch == Watches.end()) return false;
  auto ready = watch->second.Ready; // Ready may unwatch itself
  if (ready) ready(flags);
  return true;
}
