// Following an MPRIS player: which player on the bus to follow, its
// PlaybackStatus as a player state, and how polled positions, Seeked signals
// and status changes move the followed clock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "player/follow/FollowClock.h"
#include "player/follow/PollPlan.h"

inline const std::string MprisPrefix = "org.mpris.MediaPlayer2.";

struct TMprisCandidate {
  std::string BusName;
  std::string Status; // PlaybackStatus
  std::string Url;    // xesam:url of the current track
};

// The player to follow among `players`, -1 when none fits: only MPRIS names,
// and with `name` only those ending in "." + name or with an instance after
// it ("chromium" fits "chromium.instance1234"); of those, the one playing
// `videoPath` (an absolute path, may be empty), else the first playing, else
// the first.
int ChooseMprisPlayer(const std::vector<TMprisCandidate> &players, const std::string &name,
                      const std::string &videoPath);
// The local path of a file:// URL, percent-decoded; empty for other URLs.
std::string PathOfFileUrl(std::string_view url);
// What was looked for, for the error when nothing fits.
std::string MprisLookedFor(const std::string &name);

class TMprisSession {
public:
  // After a seek of ours, polled positions are not trusted until the
  // player's Seeked signal, or this long.
  static constexpr double SeekSettleSeconds = 1.5;

  explicit TMprisSession(TFollowClock &clock) : FClock(clock) {}

  void Status(std::string_view status, TFollowTime at);
  void Rate(double rate, TFollowTime at);
  // Position is never signalled: it is asked for at this moment.
  TFollowTime NextPoll() const { return FPlan.Next(); }
  // A poll of Position goes out at `at`.
  void Sending(TFollowTime at) { FPlan.Sent(at); }
  // The token to hand back with a poll's answer.
  uint64_t PollSent() const { return FGeneration; }
  // Position in microseconds as polled. An unchanged value is stale (the
  // player refreshes it seldom): prediction goes on; a changed one is fresh
  // at `at` when the poll plan saw it change in time. Answers to polls sent
  // before a seek are dropped.
  void PollAnswer(uint64_t token, int64_t micros, TFollowTime at);
  void Seeked(int64_t micros, TFollowTime at);
  // A seek of ours was asked for.
  void OwnSeek(TFollowTime at);

  int32_t State() const;

private:
  void Replan(TFollowTime at) { FPlan.Restart(at, FStatus == "Playing", FRate); }

  TFollowClock &FClock;
  TPollPlan FPlan;
  std::string FStatus;
  double FRate = 1;
  uint64_t FGeneration = 1;
  bool FSettling = false;
  TFollowTime FSettleUntil{};
  bool FFreshNext = true;
};
