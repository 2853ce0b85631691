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
      {"-to", &TSettings::TickOnly, true},
      {"--tick-only", &TSettings::TickOnly, true},
  };
  for (const TCase &c : cases) {
    T.Driver.Settings = TSettings();
    T.Driver.Settings.*c.Field = !c.Value;
    ASSERT_EQ(Parse({c.Word, "s.txt"}), -1) << c.Word;
    EXPECT_EQ(T.Driver.Settings.*c.Field, c.Value) << c.Word;
  }
  EXPECT_TRUE(T.Output.Lines.empty());
}

TEST_F(CommandLineTest, DelayAndScriptFrameRateTakeDecimalsAndWarnOnAnythingElse) {
  struct TCase {
    std::vector<std::string> Args;
    int64_t ShiftMs;
    double SubFps;
    const char *Warning;
  } cases[] = {
      {{"-dl", "-0.5"}, -500, 0, nullptr},
      {{"--delay", "+2"}, 2000, 0, nullptr},
      {{"-dl", " 36000 "}, 36000000, 0, nullptr}, // ten hours
      {{"-dl", "-36000"}, -36000000, 0, nullptr},
      {{"--sub-fps", "23.976"}, 0, 23.976, nullptr},
      {{"-sf", "25"}, 0, 25, nullptr},
      {{"-dl", "0,5"}, 0, 0, "Ignoring invalid delay: 0,5"},
      {{"-dl", "nan"}, 0, 0, "Ignoring invalid delay: nan"},
      {{"-dl", "86401"}, 0, 0, "Ignoring invalid delay: 86401"}, // more than a day
      {{"-dl"}, 0, 0, "Ignoring invalid delay: "},
      {{"-sf", "0"}, 0, 0, "Ignoring invalid sub-fps: 0"},
      {{"-sf", "-25"}, 0, 0, "Ignoring invalid sub-fps: -25"},
      {{"-sf", "1e9"}, 0, 0, "Ignoring invalid sub-fps: 1e9"},
      {{"-sf", "inf"}, 0, 0, "Ignoring invalid sub-fps: inf"},
  };
  for (const TCase &c : cases) {
    T.Driver.Timing = TSubtitleTiming();
    T.Output.Lines.clear();
    std::vector<std::string> args{"s.txt"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    ASSERT_EQ(Parse(args), -1) << c.Args[0];
    EXPECT_EQ(T.Driver.Timing.ShiftMs, c.ShiftMs) << c.Args.back();
    EXPECT_EQ(T.Driver.Timing.SubFps, c.SubFps) << c.Args.back();
    EXPECT_EQ(T.Output.Lines,
              c.Warning ? std::vector<std::string>{c.Warning} : std::vector<std::string>{})
        << c.Args.back();
  }
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
  Parse({"--sub-codepage", " iso-8859-2 ", "s.txt"});
  EXPECT_EQ(T.Driver.Settings.SubCodePage, "iso-8859-2");
  Parse({"s.txt", "-sc", "1250"});
  EXPECT_EQ(T.Driver.Settings.SubCodePage, "1250");
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
