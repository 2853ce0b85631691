// Player selection: the player the command line names when it works, else
// each player of the table in order; then the video is started.
#include "driver/Driver.h"
#include "player/PlayerControls.h"

void TDriver::SelectPlayer() {
  Player.Clear();
  if (const TPlayerControl *named = FindPlayerControl(PlayerCode)) {
    TryPlayer(*named);
  } else if (!PlayerCode.empty()) {
    WriteLogLine("Unknown video player code: " + PlayerCode);
  }
  // The fallback always starts again from the top of the table.
  for (const TPlayerControl &control : PlayerControls())
    if (Player || TryPlayer(control)) break;
  if (!Player) FatalError("No supported video player available.");
  Player->SetFileName(VideoPath);
  Player->Start();
}

bool TDriver::TryPlayer(const TPlayerControl &control) {
  Player = TVideoPlayerRef(
      control.Create(Script->FrameRate, Script->TimesInMilliseconds, Settings.MCIDeviceType));
  if (Player->IsAvailable()) return true;
  if (Settings.Debug) WriteLogLine(std::string(control.Name) + " interface not available");
  Player->Close();
  Player.Clear();
  return false;
}
