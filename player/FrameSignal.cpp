// The one frame listener of the process and the switch of the control that
// reports frames.
#include "player/FrameSignal.h"

namespace {
struct TFrameSignal {
  TFrameListener Listener;
  TFrameSwitch Switch;
  const void *SwitchOwner = nullptr;
  bool Wanted = false;
};

TFrameSignal &Signal() {
  static TFrameSignal signal;
  return signal;
}
} // namespace

void SetFrameListener(TFrameListener listener) { Signal().Listener = std::move(listener); }

bool HasFrameListener() { return static_cast<bool>(Signal().Listener); }

void WantFrames(bool wanted) {
  TFrameSignal &signal = Signal();
  if (wanted == signal.Wanted) return;
  signal.Wanted = wanted;
  if (signal.Switch) signal.Switch(wanted);
}

void SetFrameSwitch(const void *owner, TFrameSwitch frameSwitch) {
  TFrameSignal &signal = Signal();
  signal.Switch = std::move(frameSwitch);
  signal.SwitchOwner = owner;
  if (signal.Switch) signal.Switch(signal.Wanted);
}

void ClearFrameSwitch(const void *owner) {
  TFrameSignal &signal = Signal();
  if (signal.SwitchOwner != owner) return;
  signal.Switch = nullptr;
  signal.SwitchOwner = nullptr;
}

void NotifyFrameShown() {
  // A copy: the listener may replace itself.
  TFrameListener listener = Signal().Listener;
  if (listener) listener();
}
