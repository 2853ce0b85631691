// What every platform's loop keeps the same way: work posted from any thread,
// waiting to be taken and run on the loop's thread, and the watches with
// those found ready by the last wait.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include "platform/Loop.h"

// The window-less messages a loop makes for posted work and ready watches.
constexpr uint32_t WorkMessage = 0x8001;  // WM_APP + 1
constexpr uint32_t WatchMessage = 0x8002; // WM_APP + 2

class TPostedWork {
public:
  // Safe from any thread; the caller then wakes its loop.
  void Post(std::function<void()> work);
  // The oldest work not yet taken, as a WorkMessage; false when there is none.
  bool TakeMessage(TMessage &message);
  // Runs the work a WorkMessage names (nothing if it has run already).
  void Run(const TMessage &message);

private:
  std::mutex FLock;
  std::deque<std::function<void()>> FPosted;
  std::map<uintptr_t, std::function<void()>> FTaken;
  uintptr_t FNextId = 1;
};

class TWatchTable {
public:
  uintptr_t Add(TWatch watch);
  void Remove(uintptr_t id) { FWatches.erase(id); }
  const std::map<uintptr_t, TWatch> &All() const { return FWatches; }
  size_t HandleCount() const;

  // The watch's deadline on the loop's clock; infinite for none.
  static double DeadlineOf(const TWatch &watch);
  // The flags the watch wants now; 0 when it has no handle or wants nothing.
  static unsigned WantedOf(const TWatch &watch);

  // After a wait: `id`'s handle came with `flags`.
  void MarkReady(uintptr_t id, unsigned flags) { FReady.emplace_back(id, flags); }
  // After a wait: every watch whose deadline is past, not already marked.
  void MarkDeadlinesPassed(double now);
  // The next ready watch still watched, as a WatchMessage with its flags.
  bool TakeMessage(TMessage &message);
  // Calls the Ready of the watch a WatchMessage names, with its flags
  // (nothing if it has been unwatched since).
  void Run(const TMessage &message);

private:
  std::map<uintptr_t, TWatch> FWatches;
  uintptr_t FNextId = 1;
  std::deque<std::pair<uintptr_t, unsigned>> FReady;
};
