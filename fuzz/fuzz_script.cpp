// libFuzzer target: loads any bytes as a subtitle script through the fake file
// system, drains the whole script, then moves the cursor to positions taken
// from the input and drains again. A drain that does not end aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/fake/FakeCodePages.h"
#include "platform/fake/FakeFiles.h"
#include "script/UntCaptel.h"

namespace {

// Every entry is handed out at most once per drain, so a drain longer than
// the table means the cursor is going round in circles.
void Drain(TCaptel &script) {
  TText entry;
  int handedOut = 0;
  while (script.NextDue(entry))
    if (++handedOut > TCaptel::TableSlots) std::abort();
}

double PositionAt(const uint8_t *data, size_t size, size_t offset) {
  double value = 0;
  if (size >= sizeof value && offset <= size - sizeof value)
    std::memcpy(&value, data + offset, sizeof value);
  return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static TFakeFiles files;
  static TFakeCodePages codePages;
  size_t logged = 0;
  auto script = std::make_unique<TCaptel>(
      [&logged](const std::string &message) { logged += message.size(); }, codePages, files);
  files.Add("fuzz.scr", std::string(reinterpret_cast<const char *>(data), size));
  script->LoadFromFile("fuzz.scr");
  if (script->Count < 1 || script->Count >= TCaptel::TableSlots) std::abort();

  script->ConsoleCodePageKind = static_cast<TCodePageKind>(size > 0 ? data[0] % 3 : 0);
  script->SeekTo(0);
  script->AdvanceTo(script->LastFrame, 0);
  Drain(*script);

  // The input's own bytes, read as doubles from its end, are the positions.
  for (size_t move = 1; move <= 4 && move * 8 <= size; ++move) {
    double frames = PositionAt(data, size, size - move * 8);
    script->AdvanceTo(frames, move % 2 ? 0.0 : frames);
    Drain(*script);
  }
  return 0;
}
