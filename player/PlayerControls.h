// The table of the players over COM-style controls: the order they are
// tried in, the "-player" codes that name each, and how each is made.
#pragma once

#include <string>
#include <vector>

#include "player/UntVideoIF.h"

struct TPlayerControl {
  std::vector<std::string> Codes; // "-player" values that name this player
  const char *Name;               // as in "<Name> interface not available"
  // Never fails; the player says whether its control could be created.
  // `milliseconds`: the script is timed in milliseconds (frame rate 1000).
  IVideoPlayer *(*Create)(double frameRate, bool milliseconds, std::string &mciDeviceType);
};

// In the order the fallback tries them.
const std::vector<TPlayerControl> &PlayerControls();

// The entry of `controls` that `code` names, or null.
const TPlayerControl *
FindPlayerControl(const std::string &code,
                  const std::vector<TPlayerControl> &controls = PlayerControls());
