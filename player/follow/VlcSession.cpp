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
// How old VLC's time can be when it is read: its refresh period with room
// for the answer's way back.
constexpr double RefreshSeconds = 0.35;

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

// VLC refreshes its time and position about every quarter second and tells
// the time in whole seconds. Its position (the fraction played) is exact at
// each refresh, but its length is rounded down too, so position x length
// never says more than the time was; the length is raised as far as the
// whole seconds show it must be (time / position), which makes the seconds
// exact for a length of whole seconds and never ahead of VLC otherwise.
double TVlcSession::Seconds(const TVlcStatus &status) {
  if (status.Length != FLength) {
    FLength = status.Length;
    FLowestLength = status.Length;
  }
  if (status.Position > 0 && status.Position <= 1 && FLength > 0) {
    FLowestLength = std::clamp(status.Time / status.Position, FLowestLength, FLength + 1);
    const double seconds = status.Position * FLowestLength;
    if (seconds > status.Time && seconds < status.Time + 1) return seconds;
  }
  return status.Time;
}

// A new refresh says where VLC was at most a refresh before it was read: the
// clock moves up to it, keeps a prediction that was anchored on a fresher
// one, and comes back only when the prediction has run past anything the
// refresh allows (VLC stalled) or the reading is a jump.
void TVlcSession::Follow(const TVlcStatus &status, TFollowTime at) {
  FState = status.State;
  const bool playing = FState == "playing";
  if (playing) FStopped = false;
  FClock.SetRate(status.Rate, at);
  const bool settling = at < FSeekUntil;
  const double seconds = Seconds(status);
  if (FLastSeconds < 0) {
    FClock.Jump(seconds, at);
  } else if (settling && std::fabs(status.Time - std::floor(FSeekTarget)) > JumpSeconds) {
    return; // the time from before the seek: the rest waits too
  } else if (seconds != FLastSeconds) {
    const double predicted = FClock.Position(at);
    if (std::fabs(seconds - predicted) > JumpSeconds)
      FClock.Jump(seconds, at);
    else if (seconds > predicted ||
             predicted > seconds + RefreshSeconds * std::max(status.Rate, 1.0))
      FClock.Reading(seconds, at);
  }
  FLastSeconds = seconds;
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
