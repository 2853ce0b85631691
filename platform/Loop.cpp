// The loop's portable helpers: the watch of a handle for reading alone.
#include "platform/Loop.h"

uintptr_t WatchReadable(ILoop &loop, TWaitHandle handle, std::function<void()> ready) {
  if (handle == NoWaitHandle) return 0;
  return loop.Watch(TWatch{handle, [] { return unsigned(wfRead); }, nullptr,
                           [ready = std::move(ready)](unsigned) { ready(); }});
}
