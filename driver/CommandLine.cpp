// The command line: switches into Settings, the player code and MCI device
// type, the script and video paths, with warnings for what is not understood.
#include <charconv>
#include <cmath>

#include "driver/Driver.h"
#include "script/ScriptText.h"

namespace {

// A decimal number such as "-0.5" or "+2", read the same in every locale;
// false for anything else, infinities and NaN included.
bool ReadDecimal(const std::string &text, double &value) {
  const char *first = text.data();
  const char *last = first + text.size();
  if (first != last && *first == '+') ++first;
  if (first == last || *first == '+') return false;
  auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
  return error == std::errc() && end == last && std::isfinite(value);
}

enum TOptionKind { okSwitch, okPlayer, okDeviceType, okDelay, okSubFps, okSubCodePage, okIgnored };

struct TOption {
  const char *Short;
  const char *Long; // typed after the option character, so "--debug" or "/-debug"
  TOptionKind Kind;
  bool TSettings::*Field;
  bool Value;
};

const TOption Options[] = {
    {"p", "-player", okPlayer, nullptr, false},
    {"d", "-debug", okSwitch, &TSettings::Debug, true},
    {"nd", "-no-debug", okSwitch, &TSettings::Debug, false},
    {"c", "-switch-codepage", okIgnored, nullptr, false},
    {"nc", "-no-switch-codepage", okIgnored, nullptr, false},
    {"nce", "-no-codepage-error", okIgnored, nullptr, false},
    {"ce", "-codepage-error", okIgnored, nullptr, false},
    {"s", "-resize-console", okSwitch, &TSettings::ResizeConsole, true},
    {"ns", "-no-resize-console", okSwitch, &TSettings::ResizeConsole, false},
    {"dc", "-detach-console", okSwitch, &TSettings::DetachConsole, true},
    {"ndc", "-no-detach-console", okSwitch, &TSettings::DetachConsole, false},
    {"mdt", "-mci-device-type", okDeviceType, nullptr, false},
    {"scp", "-screenplay", okSwitch, &TSettings::Screenplay, true},
    {"to", "-tick-only", okSwitch, &TSettings::TickOnly, true},
    {"dl", "-delay", okDelay, nullptr, false},
    {"sf", "-sub-fps", okSubFps, nullptr, false},
    {"sc", "-sub-codepage", okSubCodePage, nullptr, false},
};

bool TakesValue(TOptionKind kind) { return kind != okSwitch && kind != okIgnored; }

const TOption *FindOption(const std::string &word) {
  for (const TOption &option : Options)
    if (word == option.Short || word == option.Long) return &option;
  return nullptr;
}

} // namespace

void TDriver::ParseCommandLine() {
  VideoPath.clear();
  PlayerCode.clear();
  const std::vector<std::string> args = Services.Process.Arguments();
  // On Windows "/" begins an option too; on POSIX it begins an absolute path.
  const bool slashIsOption = Services.Process.SlashIsOption();
  bool haveScript = false;
  for (size_t index = 0; index < args.size(); ++index) {
    const std::string arg(Trim(args[index]));
    const bool isOption = !arg.empty() && (arg[0] == '-' || (slashIsOption && arg[0] == '/'));
    if (!isOption) {
      if (!Services.Files.FileExists(arg)) {
        WriteLogLine("Ignoring non-existant file specified at command line: " + arg);
      } else if (!haveScript) {
        ScriptPath = arg;
        haveScript = true;
      } else {
        VideoPath = arg;
      }
      continue;
    }
    const std::string word = arg.substr(1);
    const TOption *option = FindOption(word);
    if (!option) {
      WriteLogLine("Unknown parameter: " + word);
      continue;
    }
    // The next argument is the value, whatever it looks like.
    std::string value;
    if (TakesValue(option->Kind) && index + 1 < args.size()) value = Trim(args[++index]);
    double number = 0;
    switch (option->Kind) {
    case okSwitch: Settings.*(option->Field) = option->Value; break;
    case okIgnored: break;
    case okPlayer: PlayerCode = value; break;
    case okDeviceType: Settings.MCIDeviceType = value; break;
    case okDelay:
      if (ReadDecimal(value, number) && std::fabs(number) * 1000 <= TSubtitleTiming::MaxShiftMs)
        Timing.ShiftMs = std::llround(number * 1000);
      else
        WriteLogLine("Ignoring invalid delay: " + value);
      break;
    case okSubFps:
      if (ReadDecimal(value, number) && TSubtitleTiming::UsableRate(number))
        Timing.SubFps = number;
      else
        WriteLogLine("Ignoring invalid sub-fps: " + value);
      break;
    case okSubCodePage: Settings.SubCodePage = value; break;
    }
  }
  if (!haveScript) ShowUsage();
}
