// The command line: switches into Settings, the player code and MCI device
// type, the script and video paths, with warnings for what is not understood.
#include <charconv>
#include <cmath>

#include "driver/Driver.h"
#include "driver/Options.h"
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

// Whether the argument is an option; its word is what follows the first
// character. On Windows "/" begins an option too; on POSIX it begins a path.
bool IsOption(const std::string &arg, bool slashIsOption) {
  return !arg.empty() && (arg[0] == '-' || (slashIsOption && arg[0] == '/'));
}

const TOption Options[] = {
    {"p", "-player", okPlayer, nullptr, false, "X",
     "AMovie MPLayer MCI WMP mpris[:NAME] mpv:SOCKET\nvlc://[:PASSWORD@][HOST][:PORT]\nmpc://[HOST][:PORT]"},
    {"d", "-debug", okSwitch, &TSettings::Debug, true, nullptr,
     "show console and player diagnostics (default)"},
    {"nd", "-no-debug", okSwitch, &TSettings::Debug, false, nullptr, "hide the diagnostics"},
    {"c", "-switch-codepage", okIgnored, nullptr, false, nullptr, "accepted, no effect"},
    {"nc", "-no-switch-codepage", okIgnored, nullptr, false, nullptr, "accepted, no effect"},
    {"nce", "-no-codepage-error", okIgnored, nullptr, false, nullptr, "accepted, no effect"},
    {"ce", "-codepage-error", okIgnored, nullptr, false, nullptr, "accepted, no effect"},
    {"s", "-resize-console", okSwitch, &TSettings::ResizeConsole, true, nullptr,
     "shrink the console to six lines (default)"},
    {"ns", "-no-resize-console", okSwitch, &TSettings::ResizeConsole, false, nullptr,
     "leave the console's size"},
    {"dc", "-detach-console", okSwitch, &TSettings::DetachConsole, true, nullptr,
     "open a fresh console window (default)"},
    {"ndc", "-no-detach-console", okSwitch, &TSettings::DetachConsole, false, nullptr,
     "use the console started from"},
    {"mdt", "-mci-device-type", okDeviceType, nullptr, false, "X",
     "device type handed to the MCI player"},
    {"scp", "-screenplay", okSwitch, &TSettings::Screenplay, true, nullptr,
     "print the whole script laid out and exit"},
    {"to", "-tick-only", okSwitch, &TSettings::TickOnly, true, nullptr,
     "write subtitles only at the 180 ms ticks"},
    {"dl", "-delay", okDelay, nullptr, false, "S", "subtitles S seconds later (negative: earlier)"},
    {"sf", "-sub-fps", okSubFps, nullptr, false, "FPS",
     "the script was timed for FPS frames a second"},
    {"sc", "-sub-codepage", okSubCodePage, nullptr, false, "X",
     "code page of non-UTF-8 subtitle files (cp1250)"},
    {"v", "-verbose", okSwitch, &TSettings::Verbose, true, nullptr,
     "also show what the player's libraries say"},
    {"pl", "-player-log", okPlayerLog, nullptr, false, "FILE", "write all the player says to FILE"},
    {"ps", "-player-subs", okSwitch, &TSettings::PlayerSubs, true, nullptr,
     "let the embedded player draw subtitles too"},
    {"h", "-help", okHelp, nullptr, false, nullptr, "print this help and exit"},
    {"V", "-version", okVersion, nullptr, false, nullptr, "print the version and exit"},
};

// The first --help or --version among the arguments, read the way the main
// loop reads them (a value is never an option), or none.
const TOption *FindInfoRequest(const std::vector<std::string> &args, bool slashIsOption) {
  for (size_t index = 0; index < args.size(); ++index) {
    const std::string arg(Trim(args[index]));
    if (!IsOption(arg, slashIsOption)) continue;
    const TOption *option = FindOption(arg.substr(1));
    if (!option) continue;
    if (option->Kind == okHelp || option->Kind == okVersion) return option;
    if (option->ValueName) ++index;
  }
  return nullptr;
}

} // namespace

std::span<const TOption> CommandLineOptions() { return Options; }

const TOption *FindOption(const std::string &word) {
  for (const TOption &option : Options)
    if (word == option.Short || word == option.Long) return &option;
  return nullptr;
}

void TDriver::ParseCommandLine() {
  VideoPath.clear();
  PlayerCode.clear();
  const std::vector<std::string> args = Services.Process.Arguments();
  const bool slashIsOption = Services.Process.SlashIsOption();
  // --help and --version win over everything else on the line.
  if (const TOption *request = FindInfoRequest(args, slashIsOption))
    request->Kind == okHelp ? ShowHelp() : ShowVersion();
  bool haveScript = false;
  for (size_t index = 0; index < args.size(); ++index) {
    const std::string arg(Trim(args[index]));
    if (!IsOption(arg, slashIsOption)) {
      if (!Services.Files.FileExists(arg)) {
        WriteLogLine("Ignoring non-existant file specified at command line: " + arg, ltSystem);
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
    if (option->ValueName && index + 1 < args.size()) value = Trim(args[++index]);
    double number = 0;
    switch (option->Kind) {
    case okSwitch: Settings.*(option->Field) = option->Value; break;
    case okIgnored:
    case okHelp:
    case okVersion: break;
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
    case okPlayerLog: Settings.PlayerLogFile = value; break;
    }
  }
  if (!haveScript) ShowUsage();
}
