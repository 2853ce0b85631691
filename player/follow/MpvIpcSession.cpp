// mpv's IPC events mapped onto the followed clock and the player states.
#include "player/follow/MpvIpcSession.h"

#include <cstdio>
#include <utility>

#include "player/UntVideoIF.h"
#include "player/follow/JsonValue.h"

namespace {

// Observation ids, and the request id of the position asked for after a seek.
enum : int { idTime = 1, idPause, idSpeed, idEof, idBuffering, idFps };
constexpr int TimeRequest = 99;

const char *const Observed[] = {"time-pos",         "pause",        "speed", "eof-reached",
                                "paused-for-cache", "container-fps"};

bool IsFlag(const TJson *data, bool &flag) {
  if (!data || data->Kind != TJson::jBool) return false;
  flag = data->Bool;
  return true;
}

} // namespace

std::string TMpvIpcSession::OpeningLines() {
  std::string lines;
  for (int i = 0; i < static_cast<int>(std::size(Observed)); ++i)
    lines += "{\"command\":[\"observe_property\"," + std::to_string(i + 1) + "," +
             JsonQuote(Observed[i]) + "]}\n";
  return lines;
}

std::string TMpvIpcSession::TakeOutput() { return std::exchange(FOut, {}); }

void TMpvIpcSession::HandleLine(std::string_view line, TFollowTime at) {
  std::optional<TJson> message = ParseJson(line);
  if (!message || message->Kind != TJson::jObject) return;
  if (FSeeking && at >= FSeekUntil) FSeeking = false; // the seek's end never came
  const TJson *event = message->Find("event");
  if (event && event->Kind == TJson::jString) {
    const std::string &kind = event->String;
    const TJson *name = message->Find("name");
    if (kind == "property-change" && name && name->Kind == TJson::jString) {
      PropertyChange(name->String, message->Find("data"), at);
    } else if (kind == "seek") {
      FSeeking = true;
      FSeekUntil = at + std::chrono::duration_cast<TFollowTime::duration>(
                            std::chrono::duration<double>(SeekSettleSeconds));
    } else if (kind == "playback-restart") {
      // Where the seek landed: asked for, since time-pos may not change.
      FSeeking = false;
      FJumpNext = true;
      FOut += "{\"command\":[\"get_property\",\"time-pos\"],\"request_id\":" +
              std::to_string(TimeRequest) + "}\n";
    }
    UpdatePlaying(at);
    return;
  }
  const TJson *request = message->Find("request_id");
  const TJson *data = message->Find("data");
  if (request && request->IsNumber() && request->Number == TimeRequest && data && data->IsNumber())
    TimeReading(data->Number, at);
}

void TMpvIpcSession::PropertyChange(const std::string &name, const TJson *data, TFollowTime at) {
  if (name == "time-pos") {
    if (data && data->IsNumber())
      TimeReading(data->Number, at);
    else if (!data || data->Kind == TJson::jNull)
      FHasTime = false; // no file: nothing to follow until one is loaded
  } else if (name == "pause") {
    IsFlag(data, FPause);
  } else if (name == "eof-reached") {
    if (!IsFlag(data, FEof)) FEof = false;
  } else if (name == "paused-for-cache") {
    if (!IsFlag(data, FBuffering)) FBuffering = false;
  } else if (name == "speed") {
    if (data && data->IsNumber()) FClock.SetRate(data->Number, at);
  } else if (name == "container-fps") {
    FFrameRate =
        data && data->IsNumber() && data->Number > 0 && data->Number < 1000 ? data->Number : 0;
    FFrameRateAnswered = true;
  }
  UpdatePlaying(at);
}

void TMpvIpcSession::TimeReading(double seconds, TFollowTime at) {
  if (FSeeking) return; // frames from before the seek
  if (FJumpNext || !FHasTime)
    FClock.Jump(seconds, at);
  else
    FClock.Reading(seconds, at);
  FJumpNext = false;
  FHasTime = true;
}

void TMpvIpcSession::UpdatePlaying(TFollowTime at) {
  FClock.SetPlaying(State() == vsPlaying && !FBuffering && !FSeeking, at);
}

int32_t TMpvIpcSession::State() const {
  if (!FHasTime) return vsNotReady;
  if (FStopped || FEof) return vsStopped;
  return FPause ? vsPaused : vsPlaying;
}

std::string TMpvIpcSession::Command(const std::string &arguments) {
  return "{\"command\":[" + arguments + "],\"request_id\":" + std::to_string(FNextRequest++) +
         "}\n";
}

std::string TMpvIpcSession::PlayLines(TFollowTime at) {
  FStopped = false;
  FPause = false;
  UpdatePlaying(at);
  return Command("\"set_property\",\"pause\",false");
}

std::string TMpvIpcSession::PauseLines(TFollowTime at) {
  FPause = true;
  UpdatePlaying(at);
  return Command("\"set_property\",\"pause\",true");
}

std::string TMpvIpcSession::StopLines(TFollowTime at) {
  std::string lines = PauseLines(at) + SeekLines(0, at);
  FClock.Jump(0, at);
  FStopped = true;
  UpdatePlaying(at);
  return lines;
}

std::string TMpvIpcSession::SeekLines(double seconds, TFollowTime at) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  FSeeking = true;
  FSeekUntil = at + std::chrono::duration_cast<TFollowTime::duration>(
                        std::chrono::duration<double>(SeekSettleSeconds));
  UpdatePlaying(at);
  return Command(std::string("\"seek\",") + text + ",\"absolute+exact\"");
}
