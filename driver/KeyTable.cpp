// The command keys, each with its action and its --help text, and the
// --help lines made from them.
#include "driver/KeyTable.h"

#include <algorithm>
#include <string_view>

#include "driver/Driver.h"

namespace {

constexpr float ShortSeekSeconds = 10.0f;
constexpr float LongSeekSeconds = 60.0f;
constexpr int64_t SmallShiftMs = 100;
constexpr int64_t LargeShiftMs = 1000;
// Where the text of a --help key line starts.
constexpr size_t KeyHelpColumn = 10;

// Every player command changes where or whether the player moves: the wake
// plans afresh from a new reading at once.
void Play(TDriver &d) {
  d.Player->Play();
  d.Predictor.SetPlaying(true);
  d.StoppedByKey = false;
  d.WakeSoon();
}

void Pause(TDriver &d) {
  d.Player->Pause();
  d.Predictor.SetPlaying(false);
  d.WakeSoon();
}

void PlayOrPause(TDriver &d) { d.Player->GetState() == vsPlaying ? Pause(d) : Play(d); }

void Stop(TDriver &d) {
  d.Player->Stop();
  d.StoppedByKey = true;
  d.Predictor.SetPlaying(false);
  d.Predictor.Forget();
  d.WakeSoon();
}

// A seek jumps: no reading before it tells where the player is going.
void Seek(TDriver &d, int32_t direction, double seconds) {
  d.Player->Seek(direction, d.Script->FrameRate * seconds);
  d.Predictor.Forget();
  d.WakeSoon();
}

void Quit(TDriver &d) { d.Services.Loop.PostQuitMessage(0); }

// The characters, the name, the action, the --help line's text (nullptr: on
// the line above). Each row also needs its entry in docs/cuestrip.1's KEYS
// section, which KeyTable_test holds to this table.
const TKeyRow Rows[] = {
    {" ", "space", PlayOrPause, "pause when playing, play otherwise"},
    {"pP", "p", Play, "play / pause / stop"},
    {"uU", "u", Pause, nullptr},
    {"sS", "s", Stop, nullptr},
    {",", ",", [](TDriver &d) { Seek(d, sdBackward, ShortSeekSeconds); },
     "back / forward ten seconds"},
    {".", ".", [](TDriver &d) { Seek(d, sdForward, ShortSeekSeconds); }, nullptr},
    {"<", "<", [](TDriver &d) { Seek(d, sdBackward, LongSeekSeconds); },
     "back / forward one minute"},
    {">", ">", [](TDriver &d) { Seek(d, sdForward, LongSeekSeconds); }, nullptr},
    {"z", "z", [](TDriver &d) { d.ShiftSubtitles(-SmallShiftMs); },
     "subtitles 100 ms earlier / later"},
    {"x", "x", [](TDriver &d) { d.ShiftSubtitles(SmallShiftMs); }, nullptr},
    {"Z", "Z", [](TDriver &d) { d.ShiftSubtitles(-LargeShiftMs); },
     "subtitles 1 s earlier / later"},
    {"X", "X", [](TDriver &d) { d.ShiftSubtitles(LargeShiftMs); }, nullptr},
    {"qQ", "q", Quit, "quit"},
};

} // namespace

std::span<const TKeyRow> KeyTable() { return Rows; }

const TKeyRow *FindKey(char code) {
  // A string_view, so the terminating NUL of Codes is no key.
  for (const TKeyRow &row : Rows)
    if (std::string_view(row.Codes).find(code) != std::string_view::npos) return &row;
  return nullptr;
}

const std::string &CommandKeys() {
  static const std::string keys = [] {
    std::string all;
    for (const TKeyRow &row : Rows)
      all += row.Codes;
    return all;
  }();
  return keys;
}

std::vector<TKeyHelpLine> KeyHelpLines() {
  std::vector<TKeyHelpLine> lines;
  for (const TKeyRow &row : Rows) {
    if (row.Help || lines.empty()) lines.push_back({{}, row.Help ? row.Help : ""});
    lines.back().Names.push_back(row.Name);
  }
  return lines;
}

std::string KeyHelpText(const TKeyHelpLine &line) {
  std::string text = " ";
  for (const std::string &name : line.Names)
    text += " " + name;
  text.resize(std::max(KeyHelpColumn, text.size() + 2), ' ');
  return text + line.Help;
}
