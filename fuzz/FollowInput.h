// One fuzz input for following an mpv over its IPC socket: each line of the
// bytes is a line from mpv, handed to the session at moments 37 ms apart; a
// line "#K<key>[seconds]" presses a key instead (p, u, s, or k to seek). After
// every step the followed clock must give a finite position in range, the
// state must be one of the four, and every line the session would send to
// mpv must be one whole JSON value.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FollowChecks.h"
#include "player/follow/FollowClock.h"
#include "player/follow/JsonValue.h"
#include "player/follow/MpvIpcSession.h"

namespace fuzzinput {

inline std::string OutputFault(const std::string &out) {
  size_t start = 0;
  while (start < out.size()) {
    const size_t end = out.find('\n', start);
    if (end == std::string::npos) return "a command line without its end";
    if (!ParseJson(std::string_view(out).substr(start, end - start)))
      return "a command that is no JSON: " + out.substr(start, end - start);
    start = end + 1;
  }
  return "";
}

inline std::string PressKey(TMpvIpcSession &session, std::string_view key, TFollowTime at) {
  const char k = key.empty() ? 'p' : key[0];
  if (k == 'u') return session.PauseLines(at);
  if (k == 's') return session.StopLines(at);
  if (k == 'k') return session.SeekLines(SeekKeySeconds(key), at);
  return session.PlayLines(at);
}

inline std::string RunFollow(const uint8_t *data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);
  TFollowClock clock;
  TMpvIpcSession session(clock);
  std::string fault = OutputFault(TMpvIpcSession::OpeningLines());
  TFollowTime at{};
  for (size_t start = 0; start <= bytes.size() && fault.empty();) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(start, end - start);
    at += std::chrono::milliseconds(37);
    if (line.substr(0, 2) == "#K")
      fault = OutputFault(PressKey(session, line.substr(2), at));
    else
      session.HandleLine(line, at);
    if (fault.empty()) fault = OutputFault(session.TakeOutput());
    if (fault.empty()) fault = FollowStateFault(clock, session, at);
    start = end + 1;
  }
  return fault;
}

} // namespace fuzzinput
