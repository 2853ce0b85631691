// VLC's status.json read into the followed clock and the player states, and
// the command requests of the keys.
#include "player/follow/VlcSession.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "player/UntVideoIF.h"
#include "player/follow/JsonValue.h"

namespace {

// A reading further than this from the clock's prediction is a jump the
// player made (a seek in its window), not the next second.
constexpr double JumpSeconds = 1.5;

double NumberOr(const TJson &object, std::string_view name, double fallback) {
  const TJson *value = object.Find(name);
  return value && value->IsNumber() && std::isfinite(value->Number) ? value->Number : fallback;
}

// The first video stream's frame rate, from "information" > "category" >
// "Stream N" > "Frame_rate" (a string, "23.976024"). The category names are
// the user's language in a translated VLC; then there is none.
double StreamFrameRate(const TJson &status) {
  const TJson *information = status.Find("information");
  const TJson *category = information ? information->Find("category") : nullptr;
  if (!category || category->Kind != TJson::jObject) return 0;
  for (const TJson &stream : category->MemberValues) {
    const TJson *rate = stream.Kind == TJson::jObject ? stream.Find("Frame_rate") : nullptr;
    if (!rate || rate->Kind != TJson::jString) continue;
    char *end = nullptr;
    const double value = std::strtod(rate->String.c_str(), &end);
    if (end != rate->String.c_str() && value > 0 && value <= 1000) return value;
  }
  return 0;
}

std::string Command(const std::string &command) {
  return TVlcSession::StatusPath() + "?command=" + command;
}

} // namespace

bool ReadVlcStatus(std::string_view body, TVlcStatus &status) {
  std::optional<TJson> json = ParseJson(body);
  if (!json || json->Kind != TJson::jObject) return false;
  const TJson *state = json->Find("state");
  const TJson *time = json->Find("time");
  if (!state || state->Kind != TJson::jString || !time || !time->IsNumber()) return false;
  if (!std::isfinite(time->Number) || time->Number < 0 || time->Number > TFollowClock::MaxSeconds)
    return false;
  status.State = state->String;
  status.Time = time->Number;
  status.Length = std::max(0.0, NumberOr(*json, "length", 0));
  status.Position = NumberOr(*json, "position", 0);
  status.Rate = NumberOr(*json, "rate", 1);
  status.FrameRate = StreamFrameRate(*json);
  return true;
}

void TVlcSession::HandleStatus(std::string_view body, TFollowTime sent, TFollowTime received) {
  TVlcStatus status;
  if (!ReadVlcStatus(body, status)) return;
  FAnswered = true;
  if (status.FrameRate > 0) FFrameRate = status.FrameRate;
  // VLC read its time somewhere between the two: the middle errs least.
  Follow(status, sent + (received - sent) / 2);
}

// VLC tells whole seconds. The clock is anchored when the second changes,
// the moment closest to a whole second that the readings show, and predicts
// in between; readings of the same second would only pull it back.
void TVlcSession::Follow(const TVlcStatus &status, TFollowTime at) {
  FState = status.State;
  const bool playing = FState == "playing";
  if (playing) FStopped = false;
  FClock.SetRate(status.Rate, at);
  const bool settling = at < FSeekUntil;
  if (FLastTime < 0) {
    FClock.Jump(status.Time, at);
  } else if (settling && std::fabs(status.Time - std::floor(FSeekTarget)) > JumpSeconds) {
    return; // the time from before the seek: the rest waits too
  } else if (status.Time != FLastTime) {
    if (std::fabs(status.Time - FClock.Position(at)) > JumpSeconds)
      FClock.Jump(status.Time, at);
    else
      FClock.Reading(status.Time, at);
  }
  FLastTime = status.Time;
  FClock.SetPlaying(playing, at);
}

int32_t TVlcSession::State() const {
  if (!FAnswered) return vsNotReady;
  if (FStopped || FState == "stopped") return vsStopped;
  return FState == "paused" ? vsPaused : vsPlaying;
}

std::vector<std::string> TVlcSession::PlayPaths() {
  // A VLC that has really stopped starts again; a paused one goes on.
  const bool stopped = FState == "stopped";
  FStopped = false;
  return {Command(stopped ? "pl_play" : "pl_forceresume")};
}

std::vector<std::string> TVlcSession::PausePaths() { return {Command("pl_forcepause")}; }

std::vector<std::string> TVlcSession::StopPaths(TFollowTime at) {
  std::vector<std::string> paths = PausePaths();
  paths.push_back(SeekPaths(0, at).front());
  FStopped = true;
  return paths;
}

std::vector<std::string> TVlcSession::SeekPaths(double seconds, TFollowTime at) {
  FSeekUntil = at + std::chrono::duration_cast<TFollowTime::duration>(
                        std::chrono::duration<double>(SeekSettleSeconds));
  FSeekTarget = seconds;
  // VLC takes whole seconds here.
  char value[32];
  std::snprintf(value, sizeof value, "%.0f", std::floor(seconds));
  return {Command("seek&val=" + std::string(value))};
}
