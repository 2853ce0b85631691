// MPRIS player choice, state mapping and the followed clock's inputs.
#include "player/follow/MprisSession.h"

#include "base/Ascii.h"

#include "player/UntVideoIF.h"

namespace {

constexpr double MicrosPerSecond = 1e6;

// An MPRIS name ending in "." + name, or naming that player with an instance
// after it (browsers: "firefox.instance_1_23", "chromium.instance1234").
bool NameFits(const std::string &bus, const std::string &name) {
  if (bus.rfind(MprisPrefix, 0) != 0) return false;
  return name.empty() || EndsWith(bus, "." + name) || bus.rfind(MprisPrefix + name + ".", 0) == 0;
}

} // namespace

int ChooseMprisPlayer(const std::vector<TMprisCandidate> &players, const std::string &name,
                      const std::string &videoPath) {
  int first = -1, playing = -1;
  for (int i = 0; i < static_cast<int>(players.size()); ++i) {
    const std::string &bus = players[i].BusName;
    if (!NameFits(bus, name)) continue;
    if (!videoPath.empty() && PathOfFileUrl(players[i].Url) == videoPath) return i;
    if (first < 0) first = i;
    if (playing < 0 && players[i].Status == "Playing") playing = i;
  }
  return playing >= 0 ? playing : first;
}

std::string PathOfFileUrl(std::string_view url) {
  constexpr std::string_view scheme = "file://";
  if (url.substr(0, scheme.size()) != scheme) return "";
  url.remove_prefix(scheme.size());
  std::string path;
  for (size_t i = 0; i < url.size(); ++i) {
    int high, low;
    if (url[i] == '%' && i + 2 < url.size() && (high = HexDigit(url[i + 1])) >= 0 &&
        (low = HexDigit(url[i + 2])) >= 0) {
      path += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      path += url[i];
    }
  }
  return path;
}

std::string MprisLookedFor(const std::string &name) {
  std::string prefix = MprisPrefix;
  if (name.empty()) return "No MPRIS player found on the session bus (looked for " + prefix + "*)";
  return "No MPRIS player found on the session bus (looked for " + prefix + "*." + name + " and " +
         prefix + name + ".*)";
}

void TMprisSession::Status(std::string_view status, TFollowTime at) {
  FStatus = status;
  FClock.SetPlaying(FStatus == "Playing", at);
  FFreshNext = true; // the next poll anchors even if its value is unchanged
  Replan(at);
}

void TMprisSession::Rate(double rate, TFollowTime at) {
  FClock.SetRate(rate, at);
  FRate = rate;
  Replan(at);
}

void TMprisSession::PollAnswer(uint64_t token, int64_t micros, TFollowTime at) {
  if (token != FGeneration) return;
  if (FSettling && at < FSettleUntil) return;
  FSettling = false;
  const double seconds = static_cast<double>(micros) / MicrosPerSecond;
  if (FPlan.Answer(seconds, at))
    FClock.Reading(seconds, FPlan.FreshAt());
  else if (FFreshNext)
    FClock.Reading(seconds, at);
  else
    return;
  FFreshNext = false;
}

void TMprisSession::Seeked(int64_t micros, TFollowTime at) {
  ++FGeneration;
  FSettling = false;
  FClock.Jump(static_cast<double>(micros) / MicrosPerSecond, at);
  FFreshNext = false;
  Replan(at);
}

void TMprisSession::OwnSeek(TFollowTime at) {
  ++FGeneration;
  FSettling = true;
  FSettleUntil = at + std::chrono::duration_cast<TFollowTime::duration>(
                          std::chrono::duration<double>(SeekSettleSeconds));
  FFreshNext = true;
  Replan(at);
}

// Without a position read yet, nothing can be followed.
int32_t TMprisSession::State() const {
  if (!FClock.HasReading()) return vsNotReady;
  if (FStatus == "Playing") return vsPlaying;
  if (FStatus == "Paused") return vsPaused;
  if (FStatus == "Stopped") return vsStopped;
  return vsNotReady;
}
