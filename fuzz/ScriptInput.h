// One fuzz input for the script loader: loads the bytes as a script through
// the fake file system and drains the cursor. Shared by the fuzz target and
// the unit test that replays the inputs kept under fuzz/regressions.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fake/FakeCodePages.h"
#include "fake/FakeFiles.h"
#include "script/UntCaptel.h"

namespace fuzzinput {

// Every entry is handed out at most once per drain, so a drain longer than
// the table means the cursor is going round in circles.
inline bool Drain(TCaptel &script) {
  TText entry;
  int handedOut = 0;
  while (script.NextDue(entry))
    if (++handedOut > TCaptel::TableSlots) return false;
  return true;
}

inline double PositionAt(const uint8_t *data, size_t size, size_t offset) {
  double value = 0;
  if (size >= sizeof value && offset <= size - sizeof value)
    std::memcpy(&value, data + offset, sizeof value);
  return value;
}

// Loads the input, drains the whole script, then moves the cursor to
// positions taken from the input and drains again. Returns what went wrong,
// or an empty string.
inline std::string RunScript(const uint8_t *data, size_t size) {
  TFakeFiles files;
  TFakeCodePages codePages;
  size_t logged = 0;
  auto script = std::make_unique<TCaptel>(
      [&logged](const std::string &message) { logged += message.size(); }, codePages, files);
  files.Add("fuzz.scr", std::string(reinterpret_cast<const char *>(data), size));
  script->LoadFromFile("fuzz.scr");
  if (script->Count < 1 || script->Count >= TCaptel::TableSlots)
    return "entry count out of range: " + std::to_string(script->Count);

  script->ConsoleCodePageKind = static_cast<TCodePageKind>(size > 0 ? data[0] % 3 : 0);
  script->SeekTo(0);
  script->AdvanceTo(script->LastFrame, 0);
  if (!Drain(*script)) return "the first drain does not end";

  // The input's own bytes, read as doubles from its end, are the positions.
  for (size_t move = 1; move <= 4 && move * 8 <= size; ++move) {
    double frames = PositionAt(data, size, size - move * 8);
    script->AdvanceTo(frames, move % 2 ? 0.0 : frames);
    if (!Drain(*script)) return "a drain after a move does not end";
  }
  return "";
}

} // namespace fuzzinput
