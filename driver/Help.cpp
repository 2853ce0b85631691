// --help and --version: the usage text with the options, the keys (from the
// key table) and exit codes, and the program's name and version.
#include <algorithm>

#include "driver/Driver.h"
#include "driver/KeyTable.h"
#include "driver/Options.h"

#include "base/Errors.h"

namespace {

constexpr size_t OptionColumn = 32;

const char *const ExitCodes[] = {
    "Exit codes:",
    "  0  quit with q, the screenplay was printed, or --help / --version",
    "  1  no script given (usage text), a fatal error such as \"video file not",
    "     specified\", or a failure such as an unreadable script or a standard",
    "     output that cannot be written; in the screenplay also a subtitle",
    "     file without a subtitle",
};

// "  -p X, --player X" padded to the help column.
std::string OptionLine(const TOption &option) {
  const std::string value = option.ValueName ? std::string(" ") + option.ValueName : "";
  std::string line = std::string("  -") + option.Short + value + ", -" + option.Long + value;
  line.resize(std::max(OptionColumn, line.size() + 2), ' ');
  return line + (option.Help ? option.Help : "");
}

} // namespace

void TDriver::ShowHelp() {
  IOutput &out = Services.Output;
  WriteUsageText();
  out.WriteLine("");
  out.WriteLine("Options (start with -, on Windows also /):");
  for (const TOption &option : CommandLineOptions())
    out.WriteLine(OptionLine(option));
  out.WriteLine("");
  out.WriteLine("Keys during playback:");
  for (const TKeyHelpLine &line : KeyHelpLines())
    out.WriteLine(KeyHelpText(line));
  out.WriteLine("");
  for (const char *line : ExitCodes)
    out.WriteLine(line);
  // A stream that cannot take the text fails here, inside the run, so it is
  // reported like any other output failure.
  out.Flush();
  throw TProcessEnd{0};
}

void TDriver::ShowVersion() {
  Services.Output.WriteLine("cuestrip " CUESTRIP_VERSION);
  Services.Output.Flush();
  throw TProcessEnd{0};
}
