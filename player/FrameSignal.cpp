// The one frame listener of the process.
#include "player/FrameSignal.h"

namespace {
TFrameListener &Listener() {
  static TFrameListener listener;
  return listener;
}
} // namespace

void SetFrameListener(TFrameListener listener) { Listener() = std::move(listener); }

bool HasFrameListener() { return static_cast<bool>(Listener()); }

void NotifyFrameShown() {
  // A copy: the listener may replace itself.
  TFrameListener listener = Listener();
  if (listener) listener();
}
