// The one key listener of the process and the keys it takes.
#include "player/KeySignal.h"

namespace {
struct TKeySignal {
  std::string Keys;
  TKeyListener Listener;
};

TKeySignal &Signal() {
  static TKeySignal signal;
  return signal;
}
} // namespace

void SetKeyListener(std::string keys, TKeyListener listener) {
  TKeySignal &signal = Signal();
  signal.Listener = std::move(listener);
  signal.Keys = signal.Listener ? std::move(keys) : std::string();
}

const std::string &ListenedKeys() { return Signal().Keys; }

void NotifyKey(char key) {
  const TKeySignal &signal = Signal();
  if (key == '\0' || signal.Keys.find(key) == std::string::npos) return;
  // A copy: the listener may replace itself.
  TKeyListener listener = signal.Listener;
  if (listener) listener(key);
}
