// The posted work and the watch table both platforms' loops are built on.
#include "platform/LoopParts.h"

#include <algorithm>
#include <cmath>

void TPostedWork::Post(std::function<void()> work) {
  std::lock_guard<std::mutex> lock(FLock);
  FPosted.push_back(std::move(work));
}

bool TPostedWork::TakeMessage(TMessage &message) {
  std::lock_guard<std::mutex> lock(FLock);
  if (FPosted.empty()) return false;
  const uintptr_t id = FNextId++;
  FTaken[id] = std::move(FPosted.front());
  FPosted.pop_front();
  message.Message = WorkMessage;
  message.WParam = id;
  return true;
}

void TPostedWork::Run(const TMessage &message) {
  std::function<void()> work;
  {
    std::lock_guard<std::mutex> lock(FLock);
    auto taken = FTaken.find(message.WParam);
    if (taken == FTaken.end()) return;
    work = std::move(taken->second);
    FTaken.erase(taken);
  }
  if (work) work();
}

uintptr_t TWatchTable::Add(TWatch watch) {
  uintptr_t id = FNextId++;
  FWatches[id] = std::move(watch);
  return id;
}

size_t TWatchTable::HandleCount() const {
  return static_cast<size_t>(std::count_if(FWatches.begin(), FWatches.end(), [](const auto &entry) {
    return entry.second.Handle != NoWaitHandle;
  }));
}

double TWatchTable::DeadlineOf(const TWatch &watch) {
  return watch.Deadline ? watch.Deadline() : HUGE_VAL;
}

unsigned TWatchTable::WantedOf(const TWatch &watch) {
  return watch.Handle != NoWaitHandle && watch.Wanted ? watch.Wanted() : 0u;
}

void TWatchTable::MarkDeadlinesPassed(double now) {
  for (auto &[id, watch] : FWatches) {
    bool marked = std::any_of(FReady.begin(), FReady.end(),
                              [id = id](const auto &entry) { return entry.first == id; });
    if (!marked && DeadlineOf(watch) <= now) FReady.emplace_back(id, 0u);
  }
}

bool TWatchTable::TakeMessage(TMessage &message) {
  while (!FReady.empty()) {
    auto [id, flags] = FReady.front();
    FReady.pop_front();
    if (!FWatches.count(id)) continue;
    message.Message = WatchMessage;
    message.WParam = id;
    message.LParam = static_cast<intptr_t>(flags);
    return true;
  }
  return false;
}

void TWatchTable::Run(const TMessage &message) {
  auto watch = FWatches.find(message.WParam);
  if (watch == FWatches.end()) return; // unwatched since it was taken
  auto ready = watch->second.Ready;    // the procedure may unwatch itself
  if (ready) ready(static_cast<unsigned>(message.LParam));
}
