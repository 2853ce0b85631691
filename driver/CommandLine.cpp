// The command line: switches into Settings, the player code and MCI device
// type, the script and video paths, with warnings for what is not understood.
#include "driver/Driver.h"
#include "script/ScriptText.h"

namespace {

enum TOptionKind { okSwitch, okPlayer, okDeviceType, okIgnored };

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
};

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
    switch (option->Kind) {
    case okSwitch: Settings.*(option->Field) = option->Value; break;
    case okIgnored: break;
    case okPlayer:
    case okDeviceType: {
      // The next argument is the value, whatever it looks like.
      const std::string value =
          index + 1 < args.size() ? std::string(Trim(args[++index])) : std::string();
      (option->Kind == okPlayer ? PlayerCode : Settings.MCIDeviceType) = value;
      break;
    }
    }
  }
  if (!haveScript) ShowUsage();
}
