// The conversation with MPC-HC's (and MPC-BE's) web interface: what
// /variables.html says, how its millisecond position moves the followed
// clock, and the request paths of the keys (/command.html?wm_command=N).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "player/follow/FollowClock.h"

// One variables.html answer, as far as following needs it.
struct TMpcVariables {
  // DirectShow's filter state: -1 with no file loaded, 0 stopped, 1 paused,
  // 2 playing.
  int State = -1;
  double Position = 0; // seconds (the page gives whole milliseconds)
  double Duration = 0; // seconds; 0 when unknown
  double Rate = 1;     // 1 when the page gives none
  std::string File;
};

// Reads a variables.html body; false when it is no such page (no
// <p id="state"> and <p id="position"> holding sane numbers).
bool ReadMpcVariables(std::string_view body, TMpcVariables &variables);

class TMpcSession {
public:
  // How long after a seek readings of the position before it are not trusted.
  static constexpr double SeekSettleSeconds = 1.0;

  explicit TMpcSession(TFollowClock &clock) : FClock(clock) {}

  static std::string VariablesPath() { return "/variables.html"; }
  static bool IsVariablesPath(const std::string &path) { return path == VariablesPath(); }

  // The answer to a variables request sent at `sent` and answered at
  // `received`. Bodies that are no variables page change nothing.
  void HandleVariables(std::string_view body, TFollowTime sent, TFollowTime received);

  int32_t State() const;
  bool Answered() const { return FAnswered; }
  // The page names no frame rate.
  double FrameRate() const { return 0; }

  // The requests of the keys, in order. MPC's own stop keeps the file and
  // goes to the start, so a stop is its stop.
  std::vector<std::string> PlayPaths();
  std::vector<std::string> PausePaths();
  std::vector<std::string> StopPaths(TFollowTime at);
  std::vector<std::string> SeekPaths(double seconds, TFollowTime at);

private:
  void Follow(const TMpcVariables &variables, TFollowTime at);

  TFollowClock &FClock;
  bool FAnswered = false;
  int FState = -1;
  double FLastPosition = -1;
  TFollowTime FSeekUntil{};
  double FSeekTarget = 0;
};
