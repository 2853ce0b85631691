// Player selection: the player the command line names when it works, else
// the ActiveMovie control, else the MCI control; then the video is started.
#include "driver/Driver.h"
#include "player/UntIFAMovie.h"
#include "player/UntIFMPlayer.h"

void TDriver::SelectPlayer() {
  Player.Clear();
  if (PlayerCode == "AMovie") {
    TryAMovie();
  } else if (PlayerCode == "MPLayer" || PlayerCode == "MCI") {
    TryMPlayer();
  } else if (!PlayerCode.empty()) {
    WriteLogLine("Unknown video player code: " + PlayerCode);
  }
  // The fallback always starts again from the ActiveMovie control.
  if (!Player) {
    if (!TryAMovie() && !TryMPlayer()) FatalError("No supported video player available.");
  }
  Player->SetFileName(VideoPath);
  Player->Start();
}

bool TDriver::TryAMovie() {
  Player = TVideoPlayerRef(new TAMovie(Script->FrameRate));
  if (Player->IsAvailable()) return true;
  if (Settings.Debug) WriteLogLine("AMovie interface not available");
  Player->Close();
  Player.Clear();
  return false;
}

bool TDriver::TryMPlayer() {
  Player = TVideoPlayerRef(new TMPlayer(Script->FrameRate));
  if (Player->IsAvailable()) return true;
  if (Settings.Debug) WriteLogLine("MPlayer interface not available");
  Player->Close();
  Player.Clear();
  return false;
}
