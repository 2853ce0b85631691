// The JSON-lines conversation with an mpv that runs on its own
// (--input-ipc-server): what to observe, how its events move the followed
// clock and the state, and the command lines for the keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "player/follow/FollowClock.h"

struct TJson;

class TMpvIpcSession {
public:
  // How long readings are not trusted after a seek that mpv has not yet
  // reported done (it still shows frames from before the seek).
  static constexpr double SeekSettleSeconds = 2.0;

  explicit TMpvIpcSession(TFollowClock &clock) : FClock(clock) {}

  // The lines that start following: the properties observed.
  static std::string OpeningLines();
  // One line from mpv, received at `at`. Lines that are no JSON object, or
  // carry values of the wrong type, change nothing.
  void HandleLine(std::string_view line, TFollowTime at);
  // Lines to send to mpv that handling produced; empties the outbox.
  std::string TakeOutput();

  int32_t State() const;
  // True once mpv has told its frame rate (or that it has none).
  bool Answered() const { return FFrameRateAnswered; }
  // The video's own frame rate; 0 when mpv gives none.
  double FrameRate() const { return FFrameRate; }

  std::string PlayLines(TFollowTime at);
  std::string PauseLines(TFollowTime at);
  // mpv's own stop would unload the file (and end an mpv that is not idle):
  // a stop is a pause at the start, counted as stopped until played again.
  std::string StopLines(TFollowTime at);
  std::string SeekLines(double seconds, TFollowTime at);

private:
  void PropertyChange(const std::string &name, const TJson *data, TFollowTime at);
  void TimeReading(double seconds, TFollowTime at);
  void UpdatePlaying(TFollowTime at);
  std::string Command(const std::string &arguments);

  TFollowClock &FClock;
  std::string FOut;
  int FNextRequest = 100;
  bool FHasTime = false;
  bool FPause = false;
  bool FEof = false;
  bool FBuffering = false;
  bool FStopped = false;
  bool FSeeking = false;
  bool FJumpNext = false;
  TFollowTime FSeekUntil{};
  double FFrameRate = 0;
  bool FFrameRateAnswered = false;
};
