// Tests of the command line: every option in both word forms, values taken
// from the next argument, trimming, file arguments and the two warnings.
#include <gtest/gtest.h>

#include "driver/TestDriver.h"

namespace {

class CommandLineTest : public ::testing::Test {
protected:
  CommandLineTest() {
    T.Files.Add("s.txt", "");
    T.Files.Add("v.avi", "");
    T.Files.Add("w.avi", "");
    T.Files.Directories.insert("dir");
  }

  // Parses; returns the exit code when the usage text ended it, else -1.
  int Parse(std::vector<std::string> args, bool slash = false) {
    T.Process.Args = std::move(args);
    T.Process.Slash = slash;
    return T.ExitCodeOf([&] { T.Driver.ParseCommandLine(); });
  }
  TTestDriver T;
};

TEST_F(CommandLineTest, SwitchesInShortAndLongForm) {
  struct TCase {
    const char *Word;
    bool TSettings::*Field;
    bool Value;
  } cases[] = {
      {"-d", &TSettings::Debug, true},
      {"--debug", &TSettings::Debug, true},
      {"-nd", &TSettings::Debug, false},
      {"--no-debug", &TSettings::Debug, false},
      {"-s", &TSettings::ResizeConsole, true},
      {"--resize-console", &TSettings::ResizeConsole, true},
      {"-ns", &TSettings::ResizeConsole, false},
      {"--no-resize-console", &TSettings::ResizeConsole, false},
      {"-dc", &TSettings::DetachConsole, true},
      {"--detach-console", &TSettings::DetachConsole, true},
      {"-ndc", &TSettings::DetachConsole, false},
      {"--no-detach-console", &TSettings::DetachConsole, false},
      {"-scp", &TSettings::Screenplay, true},
      {"--screenplay", &TSettings::Screenplay, true},
  };
  for (const TCase &c : cases) {
    T.Driver.Settings = TSettings();
    T.Driver.Settings.*c.Field = !c.Value;
    ASSERT_EQ(Parse({c.Word, "s.txt"}), -1) << c.Word;
    EXPECT_EQ(T.Driver.Settings.*c.Field, c.Value) << c.Word;
  }
  EXPECT_TRUE(T.Output.Lines.empty());
}

TEST_F(CommandLineTest, LastSwitchWins) {
  Parse({"-nd", "s.txt", "--debug", "-ns", "-s", "-ns"});
  EXPECT_TRUE(T.Driver.Settings.Debug);
  EXPECT_FALSE(T.Driver.Settings.ResizeConsole);
}

TEST_F(CommandLineTest, CodePageSwitchesAreAcceptedAndChangeNothing) {
  Parse({"-c", "--switch-codepage", "-nc", "--no-switch-codepage", "-nce", "--no-codepage-error",
         "-ce", "--codepage-error", "s.txt"});
  EXPECT_TRUE(T.Output.Lines.empty());
  const TSettings defaults;
  EXPECT_EQ(T.Driver.Settings.Debug, defaults.Debug);
  EXPECT_EQ(T.Driver.Settings.ResizeConsole, defaults.ResizeConsole);
  EXPECT_EQ(T.Driver.Settings.DetachConsole, defaults.DetachConsole);
  EXPECT_EQ(T.Driver.Settings.Screenplay, defaults.Screenplay);
}

TEST_F(CommandLineTest, ValueOptionsTakeTheNextArgumentWhateverItIs) {
  Parse({"-p", "s.txt", "s.txt", "--mci-device-type", "  -d  "});
  EXPECT_EQ(T.Driver.PlayerCode, "s.txt");
  EXPECT_EQ(T.Driver.Settings.MCIDeviceType, "-d");
  EXPECT_TRUE(T.Driver.Settings.Debug); // "-d" was a value, not the switch
  EXPECT_EQ(T.Driver.ScriptPath, "s.txt");
  EXPECT_EQ(T.Driver.VideoPath, "");
  Parse({"s.txt", "--player", "MCI", "-mdt", "avivideo"});
  EXPECT_EQ(T.Driver.PlayerCode, "MCI");
  EXPECT_EQ(T.Driver.Settings.MCIDeviceType, "avivideo");
}

TEST_F(CommandLineTest, ValueOptionAtTheEndGivesAnEmptyValue) {
  T.Driver.PlayerCode = "AMovie";
  Parse({"s.txt", "-p"});
  EXPECT_EQ(T.Driver.PlayerCode, "");
  T.Driver.Settings.MCIDeviceType = "old";
  Parse({"s.txt", "-mdt"});
  EXPECT_EQ(T.Driver.Settings.MCIDeviceType, "");
  EXPECT_TRUE(T.Output.Lines.empty());
}

TEST_F(CommandLineTest, UnknownOptionsAreWarnedAndSkipped) {
  Parse({"-D", "-debug", "-", "--", "-scpx", "s.txt"});
  EXPECT_EQ(T.Output.Lines,
            (std::vector<std::string>{"Unknown parameter: D", "Unknown parameter: debug",
                                      "Unknown parameter: ", "Unknown parameter: -",
                                      "Unknown parameter: scpx"}));
  EXPECT_EQ(T.Driver.ScriptPath, "s.txt");
}

TEST_F(CommandLineTest, SlashBeginsAnOptionOnlyWhereThePlatformSaysSo) {
  T.Files.Add("/abs/s.txt", "");
  Parse({"/abs/s.txt", "/d"});
  EXPECT_EQ(T.Driver.ScriptPath, "/abs/s.txt");
  EXPECT_EQ(T.Output.Lines,
            std::vector<std::string>{"Ignoring non-existant file specified at command line: /d"});

  T.Output.Lines.clear();
  T.Driver.Settings.Debug = false;
  EXPECT_EQ(Parse({"/d", "/-no-resize-console", "/", "s.txt"}, true), -1);
  EXPECT_TRUE(T.Driver.Settings.Debug);
  EXPECT_FALSE(T.Driver.Settings.ResizeConsole);
  EXPECT_EQ(T.Output.Lines, std::vector<std::string>{"Unknown parameter: "});
}

TEST_F(CommandLineTest, FirstExistingFileIsTheScriptTheLastLaterOneTheVideo) {
  T.Driver.VideoPath = "stale.avi";
  Parse({"nothere", "s.txt", "v.avi", "dir", "w.avi"});
  EXPECT_EQ(T.Driver.ScriptPath, "s.txt");
  EXPECT_EQ(T.Driver.VideoPath, "w.avi");
  EXPECT_EQ(T.Output.Lines, (std::vector<std::string>{
                                "Ignoring non-existant file specified at command line: nothere",
                                "Ignoring non-existant file specified at command line: dir"}));
}

TEST_F(CommandLineTest, ArgumentsAreTrimmedBeforeTheyAreTested) {
  Parse({"  s.txt\t", " \x01-scp ", "v.avi  "});
  EXPECT_EQ(T.Driver.ScriptPath, "s.txt");
  EXPECT_EQ(T.Driver.VideoPath, "v.avi");
  EXPECT_TRUE(T.Driver.Settings.Screenplay);
}

TEST_F(CommandLineTest, BlankArgumentIsAMissingFile) {
  Parse({"s.txt", "   ", ""});
  EXPECT_EQ(T.Output.Lines,
            (std::vector<std::string>{"Ignoring non-existant file specified at command line: ",
                                      "Ignoring non-existant file specified at command line: "}));
}

TEST_F(CommandLineTest, NonAsciiBytesAreNotTrimmed) {
  T.Files.Add("\xe9t\xe9.txt\xa0", "");
  Parse({"\xe9t\xe9.txt\xa0"});
  EXPECT_EQ(T.Driver.ScriptPath, "\xe9t\xe9.txt\xa0");
}

TEST_F(CommandLineTest, NoScriptShowsTheUsageAfterTheWarnings) {
  EXPECT_EQ(Parse({}), 1);
  EXPECT_EQ(T.Output.Lines.size(), 6u);
  EXPECT_EQ(T.Process.LinesRead, 1);

  T.Output.Lines.clear();
  EXPECT_EQ(Parse({"dir"}), 1);
  ASSERT_EQ(T.Output.Lines.size(), 7u);
  EXPECT_EQ(T.Output.Lines[0], "Ignoring non-existant file specified at command line: dir");
  EXPECT_EQ(T.Output.Lines[1].rfind("Usage: ", 0), 0u);
}

} // namespace
