// The conversation with VLC's web interface (its HTTP interface): what
// /requests/status.json says, how its whole-second times move the followed
// clock, and the request paths of the keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "player/follow/FollowClock.h"

// One status.json answer, as far as following needs it.
struct TVlcStatus {
  std::string State;   // "playing", "paused" or "stopped"
  double Time = 0;     // whole seconds
  double Length = 0;   // whole seconds; 0 when unknown
  double Position = 0; // the fraction of Length played
  double Rate = 1;
  double FrameRate = 0; // the video stream's, 0 when the answer gives none
};

// Reads a status.json body; false when it is no status (not a JSON object,
// or without a state and a time that are sane).
bool ReadVlcStatus(std::string_view body, TVlcStatus &status);

class TVlcSession {
public:
  // How long after a seek readings of the time before it are not trusted.
  static constexpr double SeekSettleSeconds = 1.0;

  explicit TVlcSession(TFollowClock &clock) : FClock(clock) {}

  static std::string StatusPath() { return "/requests/status.json"; }

  // The answer to a status request sent at `sent` and answered at
  // `received`. Bodies that are no status change nothing.
  void HandleStatus(std::string_view body, TFollowTime sent, TFollowTime received);

  int32_t State() const;
  bool Answered() const { return FAnswered; }
  double FrameRate() const { return FFrameRate; }

  // The requests of the keys, in order; each answers with the status too.
  // VLC's stop would unload the file: a stop is a pause at the start, counted
  // as stopped until played again.
  std::vector<std::string> PlayPaths();
  std::vector<std::string> PausePaths();
  std::vector<std::string> StopPaths(TFollowTime at);
  std::vector<std::string> SeekPaths(double seconds, TFollowTime at);

private:
  void Follow(const TVlcStatus &status, TFollowTime at);
  double Seconds(const TVlcStatus &status);

  TFollowClock &FClock;
  bool FAnswered = false;
  std::string FState;
  double FLastSeconds = -1;
  double FLength = -1;
  // The least length the readings allow.
  double FLowestLength = 0;
  bool FStopped = false;
  TFollowTime FSeekUntil{};
  double FSeekTarget = 0;
  double FFrameRate = 0;
};
