// Tests of --help and --version: every option of the table documented in the
// help and the manual page, both winning over other arguments, and a version
// that cannot be written reported as a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "driver/KeyTable.h"
#include "driver/Options.h"
#include "driver/TestDriver.h"

namespace {

// The manual page's text with roff's escapes for hyphens and fonts undone.
std::string ManualText() {
  std::ifstream in(std::string(CUESTRIP_SOURCE_DIR) + "/docs/cuestrip.1", std::ios::binary);
  const std::string roff{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string text;
  for (size_t at = 0; at < roff.size(); ++at) {
    const bool escape = roff[at] == '\\' && at + 1 < roff.size();
    if (escape && roff[at + 1] == '-') {
      text += '-';
      ++at;
    } else if (escape && roff[at + 1] == 'f' && at + 2 < roff.size()) {
      at += 2; // \fB, \fI, \fR, \fP
    } else {
      text += roff[at];
    }
  }
  return text;
}

// Whether the option as typed (e.g. "-d", "--debug") stands in the text as a
// word of its own, not as the start or end of a longer one.
bool Mentions(const std::string &text, const std::string &typed) {
  auto wordByte = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; };
  for (size_t at = text.find(typed); at != std::string::npos; at = text.find(typed, at + 1)) {
    const size_t end = at + typed.size();
    if ((at == 0 || !wordByte(text[at - 1])) && (end == text.size() || !wordByte(text[end])))
      return true;
  }
  return false;
}

struct THelpRun {
  TTestDriver T;
  int ExitCode;
  std::string Text; // every line, each ended by LF
  explicit THelpRun(std::vector<std::string> args) {
    T.Files.Add("s.txt", ScriptText({"{HEAD", "FILE=v.avi", "}", "{T;1", "Hi", "}"}));
    T.Files.Add("v.avi", "");
    T.Process.Args = std::move(args);
    ExitCode = T.Driver.Run();
    for (const std::string &line : T.Output.Lines)
      Text += line + "\n";
  }
};

} // namespace

TEST(Help, EveryOptionIsInTheHelpAndTheManualPage) {
  const THelpRun help({"--help"});
  const std::string manual = ManualText();
  ASSERT_NE(manual, "");
  for (const TOption &option : CommandLineOptions()) {
    SCOPED_TRACE(option.Long);
    EXPECT_TRUE(option.Help && *option.Help) << "no help text";
    for (const std::string &typed :
         {std::string("-") + option.Short, std::string("-") + option.Long}) {
      EXPECT_TRUE(Mentions(help.Text, typed)) << typed << " missing in --help";
      EXPECT_TRUE(Mentions(manual, typed)) << typed << " missing in docs/cuestrip.1";
    }
  }
  std::istringstream lines(help.Text);
  for (std::string line; std::getline(lines, line);)
    EXPECT_LE(line.size() - line.ends_with('\r'), 79u) << line;
  // A help of two lines goes on in the help column.
  EXPECT_NE(help.Text.find("mpv:SOCKET\n" + std::string(32, ' ') + "vlc://"), std::string::npos);
  EXPECT_NE(help.Text.find("[:PORT]\n" + std::string(32, ' ') + "mpc://"), std::string::npos);
}

// The key list of --help: one line for each line of the key table, its
// keys' names in the first column and its text from column 10, so every row
// of the table is listed, once.
TEST(Help, EveryKeyOfTheTableIsInTheHelp) {
  const THelpRun help({"--help"});
  const std::vector<std::string> &lines = help.T.Output.Lines;
  const auto header = std::find(lines.begin(), lines.end(), "Keys during playback:");
  ASSERT_NE(header, lines.end());
  const auto end = std::find(header, lines.end(), "");
  const std::vector<TKeyHelpLine> table = KeyHelpLines();
  std::vector<std::string> names;
  for (auto line = header + 1; line != end; ++line) {
    ASSERT_GT(line->size(), 10u) << *line;
    const TKeyHelpLine *row = nullptr;
    for (const TKeyHelpLine &tableLine : table)
      if (line->substr(10) == tableLine.Help) row = &tableLine;
    ASSERT_NE(row, nullptr) << "not a line of the key table: " << *line;
    std::istringstream column(line->substr(0, 10));
    std::vector<std::string> lineNames;
    for (std::string name; column >> name;)
      lineNames.push_back(name);
    EXPECT_EQ(lineNames, row->Names) << *line;
    names.insert(names.end(), lineNames.begin(), lineNames.end());
  }
  std::vector<std::string> rows;
  for (const TKeyRow &row : KeyTable())
    rows.push_back(row.Name);
  EXPECT_EQ(names, rows);
}

TEST(Help, HelpAndVersionWinOverEveryOtherArgument) {
  const std::string version = "cuestrip " CUESTRIP_VERSION;
  struct TCase {
    std::vector<std::string> Args;
    std::string FirstLine;
  } cases[] = {
      {{"--help"}, "Usage: C:\\tools\\cuestrip.exe <subtitlefile> [<videofile>]"},
      {{"s.txt", "-X", "missing.txt", "-h"},
       "Usage: C:\\tools\\cuestrip.exe <subtitlefile> [<videofile>]"},
      {{"--version"}, version},
      {{"-scp", "s.txt", "-V", "--help"}, version},
      {{"-p", "x", "--version", "s.txt"}, version},
  };
  for (const TCase &c : cases) {
    THelpRun run(c.Args);
    SCOPED_TRACE(c.Args.back());
    EXPECT_EQ(run.ExitCode, 0);
    ASSERT_FALSE(run.T.Output.Lines.empty());
    EXPECT_EQ(run.T.Output.Lines.front(), c.FirstLine);
    EXPECT_EQ(run.Text.find("Unknown parameter"), std::string::npos);
    EXPECT_EQ(run.Text.find("Hi"), std::string::npos) << "played or printed the script";
    EXPECT_EQ(run.T.Process.LinesRead, 0) << "waited for ENTER";
    EXPECT_EQ(run.T.Files.Reads, 0) << "read the script";
  }
  EXPECT_EQ(THelpRun({"--version"}).T.Output.Lines.size(), 1u);
}

TEST(Help, AValueIsNeverTakenForHelp) {
  // "-p --help" names a player, so the line has no script: the usage path.
  THelpRun run({"-p", "--help"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.T.Output.Lines.back(), "Press ENTER to conitnue...");
  EXPECT_EQ(run.T.Process.LinesRead, 1);
}

TEST(Help, VersionThatCannotBeWrittenIsAFailure) {
  TTestDriver t;
  t.Process.Args = {"--version"};
  t.Output.FailFlush = true;
  EXPECT_EQ(t.Driver.Run(), 1);
  EXPECT_EQ(t.Output.Lines.back().rfind("Exception EInOutError in module ", 0), 0u);
}
