// The relative move both players share, built on their own position calls.
#pragma once

#include <cstdint>

#include "player/UntVideoIF.h"

// Backward (direction 1) by `amount` frames, never below 0; any other
// direction forward, without an upper bound.
inline void SeekRelative(IVideoPlayer &player, int32_t direction, double amount) {
  double position = player.GetPosition();
  if (direction == sdBackward) {
    // Also lands on 0 when the comparison is unordered (NaN).
    player.SetPosition(position >= amount ? position - amount : 0);
  } else {
    player.SetPosition(position + amount);
  }
}
