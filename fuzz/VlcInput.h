// One fuzz input for following VLC over its web interface: the bytes are
// status.json answers separated by lines "--", handed to the session at
// moments 23 ms apart, each taking 0 to 9 ms to come back; an answer
// "#K<key>[seconds]" presses a key instead (p, u, s, or k to seek). After
// every step the followed clock must give a finite position in range, the
// state must be one of the four, and every request path must be one a URL
// can carry.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FollowChecks.h"
#include "player/follow/FollowClock.h"
#include "player/follow/VlcSession.h"

namespace fuzzinput {

inline std::string PathFault(const std::vector<std::string> &paths) {
  for (const std::string &path : paths) {
    if (path.empty() || path[0] != '/') return "a request path without its \"/\": " + path;
    for (char c : path)
      if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F)
        return "a request path a URL cannot carry: " + path;
  }
  return "";
}

inline std::vector<std::string> PressVlcKey(TVlcSession &session, std::string_view key,
                                            TFollowTime at) {
  const char k = key.empty() ? 'p' : key[0];
  if (k == 'u') return session.PausePaths();
  if (k == 's') return session.StopPaths(at);
  if (k == 'k') return session.SeekPaths(SeekKeySeconds(key), at);
  return session.PlayPaths();
}

inline std::string RunVlc(const uint8_t *data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);
  TFollowClock clock;
  TVlcSession session(clock);
  std::string fault;
  TFollowTime at{};
  for (size_t start = 0; start <= bytes.size() && fault.empty();) {
    size_t end = bytes.find("\n--\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view answer = bytes.substr(start, end - start);
    at += std::chrono::milliseconds(23);
    if (answer.substr(0, 2) == "#K") {
      fault = PathFault(PressVlcKey(session, answer.substr(2), at));
    } else {
      const auto trip = std::chrono::milliseconds(answer.size() % 10);
      session.HandleStatus(answer, at, at + trip);
    }
    if (fault.empty()) fault = FollowStateFault(clock, session, at);
    start = end + 4;
  }
  return fault;
}

} // namespace fuzzinput
