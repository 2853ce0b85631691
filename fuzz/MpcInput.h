// One fuzz input for following MPC over its web interface: the bytes are
// variables.html answers separated by lines "--", handed to the session at
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
#include "fuzz/VlcInput.h"
#include "player/follow/FollowClock.h"
#include "player/follow/MpcSession.h"

namespace fuzzinput {

inline std::vector<std::string> PressMpcKey(TMpcSession &session, std::string_view key,
                                            TFollowTime at) {
  const char k = key.empty() ? 'p' : key[0];
  if (k == 'u') return session.PausePaths();
  if (k == 's') return session.StopPaths(at);
  if (k == 'k') return session.SeekPaths(SeekKeySeconds(key), at);
  return session.PlayPaths();
}

inline std::string RunMpc(const uint8_t *data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);
  TFollowClock clock;
  TMpcSession session(clock);
  std::string fault;
  TFollowTime at{};
  double shown = 0;
  for (size_t start = 0; start <= bytes.size() && fault.empty();) {
    size_t end = bytes.find("\n--\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view answer = bytes.substr(start, end - start);
    at += std::chrono::milliseconds(23);
    bool jumped = false;
    if (answer.substr(0, 2) == "#K") {
      const std::vector<std::string> paths = PressMpcKey(session, answer.substr(2), at);
      fault = PathFault(paths);
      // The player jumps its clock on a seek or a stop, as TFollowPlayer does.
      const char k = answer.size() > 2 ? answer[2] : 'p';
      jumped = k == 'k' || k == 's';
      if (jumped) clock.Jump(k == 'k' ? SeekKeySeconds(answer.substr(2)) : 0, at);
    } else {
      const auto trip = std::chrono::milliseconds(answer.size() % 10);
      session.HandleVariables(answer, at, at + trip);
      TMpcVariables variables;
      jumped = ReadMpcVariables(answer, variables); // a reading may be a jump
    }
    if (fault.empty()) fault = FollowStateFault(clock, session, at);
    // Between answers the position never moves back.
    const double position = clock.Position(at);
    if (fault.empty() && !jumped && position < shown)
      fault = "position stepped back: " + std::to_string(shown) + " to " + std::to_string(position);
    shown = position;
    start = end + 4;
  }
  return fault;
}

} // namespace fuzzinput
