// The table of the players over COM-style controls; a new player is one row.
#include "player/PlayerControls.h"

#include "player/UntIFAMovie.h"
#include "player/UntIFMPlayer.h"
#include "player/UntIFWMPlayer.h"

const std::vector<TPlayerControl> &PlayerControls() {
  static const std::vector<TPlayerControl> controls = {
      {{"AMovie"},
       "AMovie",
       // Seconds times a frame rate of 1000 are milliseconds already.
       [](double frameRate, bool, std::string &) -> IVideoPlayer * {
         return new TAMovie(frameRate);
       }},
      {{"MPLayer", "MCI"},
       "MPlayer",
       [](double frameRate, bool milliseconds, std::string &mciDeviceType) -> IVideoPlayer * {
         return new TMPlayer(frameRate, mciDeviceType, milliseconds);
       }},
      // Tried last: the only one current Windows versions still register.
      {{"WMP"},
       "WMP",
       [](double frameRate, bool, std::string &) -> IVideoPlayer * {
         return new TWMPlayer(frameRate);
       }},
  };
  return controls;
}

const TPlayerControl *FindPlayerControl(const std::string &code,
                                        const std::vector<TPlayerControl> &controls) {
  for (const TPlayerControl &control : controls)
    for (const std::string &name : control.Codes)
      if (name == code) return &control;
  return nullptr;
}
