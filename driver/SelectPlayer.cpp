// Player selection: a running player the command line names to follow, or
// the player it names when it works, else each player of the table in order;
// then the video is started.
#include "driver/Driver.h"

#include "base/Ascii.h"
#include "player/PlayerControls.h"
#include "player/follow/Followers.h"

namespace {

// Players people name by their program's name, which are followed over MPRIS.
bool NamesAFollowablePlayer(const std::string &code) {
  const std::string lower = LowerCase(code);
  return lower == "vlc" || lower == "mpv" || lower == "celluloid";
}

} // namespace

void TDriver::SelectPlayer() {
  Player.Clear();
  Following = false;
  if (TryFollower()) {
  } else if (const TPlayerControl *named = FindPlayerControl(PlayerCode, *Controls)) {
    TryPlayer(*named);
  } else if (!PlayerCode.empty()) {
    WriteLogLine("Unknown video player code: " + PlayerCode);
    if (NamesAFollowablePlayer(PlayerCode))
      WriteLogLine("(to follow a running player: -p mpris:" + PlayerCode + ")");
  }
  // The fallback always starts again from the top of the table.
  for (const TPlayerControl &control : *Controls)
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

bool TDriver::FollowsPlayer() {
  std::string target;
  return FindFollower(PlayerCode, target) != nullptr;
}

// A code that names a running player to follow: that player, or the fatal
// error saying what was looked for; never a fallback to another player. When
// the followed player goes, one line says so and the program ends with 0.
bool TDriver::TryFollower() {
  std::string target;
  const TFollowFactory *factory = FindFollower(PlayerCode, target);
  if (!factory) return false;
  TFollowRequest request{target, VideoPath, Script->FrameRateGiven ? Script->FrameRate : 0,
                         [this](const std::string &line) {
                           WriteLogLine(line, ltSystem);
                           Services.Loop.PostQuitMessage(0);
                         }};
  TFollowPlayer *follower = (*factory)(request);
  Player = TVideoPlayerRef(follower);
  if (!follower->IsAvailable()) {
    std::string failure = follower->Failure();
    Player->Close();
    Player.Clear();
    FatalError(failure);
  }
  // Keys seek by the video's own seconds when the script names no rate.
  if (!Script->FrameRateGiven) Script->FrameRate = follower->FrameRate();
  Following = true;
  return true;
}
