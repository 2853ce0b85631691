// MPC's variables.html read into the followed clock and the player states,
// and the command requests of the keys.
#include "player/follow/MpcSession.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/Ascii.h"
#include "player/UntVideoIF.h"

namespace {

// A reading further than this from the clock's prediction is a jump the
// player made (a seek in its window), not the next update.
constexpr double JumpSeconds = 1.5;

// The command numbers of MPC-HC's resource.h (MPC-BE keeps them), and the
// web server's own "set position" command.
constexpr int IdPlayPlay = 887;
constexpr int IdPlayPause = 888;
constexpr int IdPlayStop = 890;
constexpr int CmdSetPos = -1;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The text of <p id="NAME">…</p>, or nothing when the page has no such
// paragraph. The values MPC writes there are plain text.
bool Paragraph(std::string_view body, std::string_view name, std::string_view &text) {
  const std::string open = "id=\"" + std::string(name) + "\"";
  size_t at = body.find(open);
  if (at == std::string_view::npos) return false;
  at = body.find('>', at + open.size());
  if (at == std::string_view::npos) return false;
  const size_t end = body.find('<', at + 1);
  if (end == std::string_view::npos) return false;
  text = body.substr(at + 1, end - at - 1);
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return true;
}

// A number the whole text is; false for anything else (empty, "N/A", "1e9x").
bool Number(std::string_view text, double &value) {
  if (text.empty() || text.size() > 40) return false;
  const std::string copy(text);
  char *end = nullptr;
  value = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size() && std::isfinite(value);
}

std::string Command(int id) { return "/command.html?wm_command=" + std::to_string(id); }

} // namespace

bool ReadMpcVariables(std::string_view body, TMpcVariables &variables) {
  std::string_view text;
  double state = 0, position = 0;
  if (!Paragraph(body, "state", text) || !Number(text, state)) return false;
  if (state != std::floor(state) || state < -1 || state > 2) return false;
  if (!Paragraph(body, "position", text) || !Number(text, position)) return false;
  if (position < 0 || position / 1000 > TFollowClock::MaxSeconds) return false;
  variables.State = static_cast<int>(state);
  variables.Position = position / 1000;
  double value = 0;
  variables.Duration =
      Paragraph(body, "duration", text) && Number(text, value) && value > 0 ? value / 1000 : 0;
  variables.Rate =
      Paragraph(body, "playbackrate", text) && Number(text, value) && value >= 0 ? value : 1;
  variables.File = Paragraph(body, "file", text) ? std::string(text) : std::string();
  return true;
}

void TMpcSession::HandleVariables(std::string_view body, TFollowTime sent, TFollowTime received) {
  TMpcVariables variables;
  if (!ReadMpcVariables(body, variables)) return;
  FAnswered = true;
  // MPC read its position somewhere between the two: the middle errs least.
  Follow(variables, sent + (received - sent) / 2);
}

// MPC's position moves in steps (the graph's clock as its seek bar reads
// it). The clock is anchored when the position changes, the moment closest
// to a fresh reading that the answers show, and predicts in between; answers
// with the same position would only pull it back.
void TMpcSession::Follow(const TMpcVariables &variables, TFollowTime at) {
  FState = variables.State;
  const bool playing = FState == 2;
  FClock.SetRate(variables.Rate, at);
  const bool settling = at < FSeekUntil;
  if (FLastPosition < 0) {
    FClock.Jump(variables.Position, at);
  } else if (settling && std::fabs(variables.Position - FSeekTarget) > JumpSeconds) {
    return; // the position from before the seek: the rest waits too
  } else if (variables.Position != FLastPosition) {
    if (std::fabs(variables.Position - FClock.Position(at)) > JumpSeconds)
      FClock.Jump(variables.Position, at);
    else
      FClock.Reading(variables.Position, at);
  }
  FLastPosition = variables.Position;
  FClock.SetPlaying(playing, at);
}

int32_t TMpcSession::State() const {
  if (!FAnswered || FState < 0) return vsNotReady;
  if (FState == 0) return vsStopped;
  return FState == 1 ? vsPaused : vsPlaying;
}

std::vector<std::string> TMpcSession::PlayPaths() { return {Command(IdPlayPlay)}; }

std::vector<std::string> TMpcSession::PausePaths() { return {Command(IdPlayPause)}; }

std::vector<std::string> TMpcSession::StopPaths(TFollowTime at) {
  // MPC goes to the start on its stop: the clock is told at once.
  FSeekUntil = at + std::chrono::duration_cast<TFollowTime::duration>(
                        std::chrono::duration<double>(SeekSettleSeconds));
  FSeekTarget = 0;
  return {Command(IdPlayStop)};
}

std::vector<std::string> TMpcSession::SeekPaths(double seconds, TFollowTime at) {
  if (!(seconds > 0)) seconds = 0;
  if (seconds > TFollowClock::MaxSeconds) seconds = TFollowClock::MaxSeconds;
  FSeekUntil = at + std::chrono::duration_cast<TFollowTime::duration>(
                        std::chrono::duration<double>(SeekSettleSeconds));
  FSeekTarget = seconds;
  // MPC reads "h:m:s.ms" with the milliseconds as a whole number, so they
  // are always written with three digits ("5" would be 5 ms, not 500).
  const long long ms = std::llround(seconds * 1000);
  char value[48];
  std::snprintf(value, sizeof value, "%02lld:%02lld:%02lld.%03lld", ms / 3600000, ms / 60000 % 60,
                ms / 1000 % 60, ms % 1000);
  return {Command(CmdSetPos) + "&position=" + value};
}
