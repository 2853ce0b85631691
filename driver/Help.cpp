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

// "  -p X, --player X" padded to the help column, then its help; a help of
// more than one line ("\n" between them) goes on in the help column.
void WriteOptionLines(IOutput &out, const TOption &option) {
  const std::string value = option.ValueName ? std::string(" ") + option.ValueName : "";
  std::string line = std::string("  -") + option.Short + value + ", -" + option.Long + value;
  line.resize(std::max(OptionColumn, line.size() + 2), ' ');
  std::string_view help = option.Help ? option.Help : "";
  for (size_t end = help.find('\n'); end != std::string_view::npos; end = help.find('\n')) {
    out.WriteLine(line + std::string(help.substr(0, end)));
    line.assign(OptionColumn, ' ');
    help.remove_prefix(end + 1);
  }
  out.WriteLine(line + std::string(help));
}

} // namespace

void TDriver::ShowHelp() {
  IOutput &out = Services.Output;
  WriteUsageText();
  out.WriteLine("");
  out.WriteLine("Options (start with -, on Windows also /):");
  for (const TOption &option : CommandLineOptions())
    WriteOptionLines(out, option);
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
