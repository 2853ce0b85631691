// The table of the players over COM-style controls; a new player is one row.
#include "player/PlayerControls.h"

#include "player/UntIFAMovie.h"
#include "player/UntIFMPlayer.h"

const std::vector<TPlayerControl> &PlayerControls() {
  static const std::vector<TPlayerControl> controls = {
      {{"AMovie"},
       "AMovie",
       [](double frameRate, std::string &) -> IVideoPlayer * { return new TAMovie(frameRate); }},
      {{"MPLayer", "MCI"},
       "MPlayer",
       [](double frameRate, std::string &mciDeviceType) -> IVideoPlayer * {
         return new TMPlayer(frameRate, mciDeviceType);
       }},
  };
  return controls;
}

const TPlayerControl *FindPlayerControl(const std::string &code) {
  for (const TPlayerControl &control : PlayerControls())
    for (const std::string &name : control.Codes)
      if (name == code) return &control;
  return nullptr;
}
