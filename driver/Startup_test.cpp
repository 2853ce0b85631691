// Tests of the main sequence run whole over fakes: the usage text, the fatal
// error, the screenplay, the top-level report, exit codes and finalisation.
#include <gtest/gtest.h>

#include "driver/KeyTable.h"
#include "driver/TestDriver.h"
#include "fake/RecordingControl.h"
#include "player/KeySignal.h"
#include "player/UntIFMPlayer.h"

namespace {

const std::vector<std::string> UsageLines = {
    "Usage: C:\\tools\\cuestrip.exe <subtitlefile> [<videofile>]",
    "<file> is a subtitle-definiton file with full path.",
    "<movie file> may be omitted, if the subtitle-definition file contains\r\n\tthis "
    "information.",
    " If movie-file is specified both places, then the cmd-line argument\r\n\ttakes "
    "precedence.",
    "",
    "Press ENTER to conitnue...",
};

std::vector<std::string> WithUsage(std::vector<std::string> lines) {
  lines.insert(lines.end(), UsageLines.begin(), UsageLines.end());
  return lines;
}

const std::string Dialogue = ScriptText({
    "{HEAD",
    "TITLE=Dialogue",
    "FILE=missing.avi",
    "FILE=demo.avi",
    "}",
    "{T;10",
    "Anna:\tWhere have you been all this time? I waited at the station until the last "
    "train had gone.",
    "}",
    "{T;20",
    "No answer.",
    "}",
    "{T;30",
    "Bob:\tincomprehensibilities!",
    "}",
});

class StartupTest : public ::testing::Test {
protected:
  StartupTest() {
    T.Files.Add("s.txt", Dialogue);
    T.Files.Add("demo.avi", "");
    T.Files.Add("other.avi", "");
  }

  int Run(std::vector<std::string> args) {
    T.Process.Args = std::move(args);
    return T.Driver.Run();
  }
  // `control` as the registered ActiveMovie control, playing from the start.
  static TRegisteredControl PlayingMovieControl(TRecordingControl &control) {
    control.SetProperty("currentstate", TVariant::Integer(2));
    control.SetProperty("CurrentPosition", TVariant::Double(0));
    control.SetProperty("DisplayMode", TVariant::Integer(0));
    return TRegisteredControl("AMovie.ActiveMovie Control", &control);
  }
  TTestDriver T;
};

TEST_F(StartupTest, NoArgumentsShowTheUsageWaitForEnterAndEndWithOne) {
  EXPECT_EQ(Run({}), 1);
  EXPECT_EQ(T.Output.Lines, UsageLines);
  EXPECT_EQ(T.Process.LinesRead, 1);
  // Eight lines on the stream: two of the texts carry their own line break.
  size_t lineEnds = 0;
  for (size_t at = 0; (at = T.Output.Bytes.find("\r\n", at)) != std::string::npos; at += 2)
    ++lineEnds;
  EXPECT_EQ(lineEnds, 8u);
  EXPECT_GE(T.Output.Flushes, 1);
}

TEST_F(StartupTest, ScreenplayPrintsEveryEntryAt79ColumnsAndEndsWithZero) {
  EXPECT_EQ(Run({"-scp", "s.txt"}), 0);
  EXPECT_EQ(T.Output.Lines,
            (std::vector<std::string>{
                "Anna:        Where have you been all this time? I waited at the station until ",
                "             the last train had gone. ",
                "             No answer. ",
                "Bob:         incomprehensibilities! ",
            }));
  EXPECT_TRUE(T.Console.Calls.empty());
  EXPECT_TRUE(T.Loop.Calls.empty());
  EXPECT_EQ(T.Process.LinesRead, 0);
  EXPECT_EQ(T.Output.Flushes, 1);
}

TEST_F(StartupTest, ScreenplayNeedsAVideoFile) {
  T.Files.Add("novideo.txt", ScriptText({"{HEAD", "FILE=gone.avi", "}", "{T;1", "x", "}"}));
  EXPECT_EQ(Run({"--screenplay", "novideo.txt"}), 1);
  EXPECT_EQ(T.Output.Lines, WithUsage({"Fatal error: video file not specified"}));
  EXPECT_EQ(T.Process.LinesRead, 1);
}

TEST_F(StartupTest, CommandLineVideoWinsOverTheScript) {
  T.Files.Add("v2.avi", "");
  TTestPlayer player;
  T.Start({"-nd", "s.txt", "v2.avi"}, player);
  EXPECT_EQ(player.FileName, "v2.avi");
  T.Driver.Finalize();
}

TEST_F(StartupTest, WithoutACommandLineVideoTheNewestExistingFileOfTheScriptIsUsed) {
  T.Files.Add("two.txt", ScriptText({"{HEAD", "FILE=demo.avi", "FILE=other.avi", "FILE=gone.avi",
                                     "}", "{T;1", "x", "}"}));
  TTestPlayer player;
  T.Start({"-nd", "two.txt"}, player);
  EXPECT_EQ(player.FileName, "other.avi");
  T.Driver.Finalize();
}

TEST_F(StartupTest, LoaderWarningsGoThroughTheLogLine) {
  T.Files.Add("bad.txt", ScriptText({"{HEAD", "FILE=demo.avi", "}", "{T;1x", "Hi", "}"}));
  EXPECT_EQ(Run({"-scp", "bad.txt"}), 0);
  EXPECT_EQ(T.Output.Lines, (std::vector<std::string>{"Bad frame number: 1x", "Hi "}));
}

TEST_F(StartupTest, ImportedSubtitlesGoThroughTheSameScreenplay) {
  T.Files.Add("talk.vtt", "WEBVTT\n\n00:02.000 --> 00:03.000\n<v Anna>Hi\nthere\n\n"
                          "00:01.000 --> 00:02.000\nFirst\n");
  EXPECT_EQ(Run({"-scp", "talk.vtt", "demo.avi"}), 0);
  EXPECT_EQ(T.Output.Lines,
            (std::vector<std::string>{"First ", "Anna:        Hi ", "             there "}));
  EXPECT_TRUE(T.Process.ErrorLines.empty());
}

// In screenplay mode a recognised subtitle file without a subtitle fails the
// run; an empty native script, or an unrecognised file read as one, ends as
// it always has.
TEST_F(StartupTest, AnEmptyTableIsSaidOnStandardErrorOnly) {
  const struct {
    const char *Name;
    std::string Bytes;
    int ExitCode;
  } cases[] = {
      {"native script", ScriptText({"{HEAD", "TITLE=x", "}"}), 0},
      {"empty file", "", 0},
      {"WebVTT", "WEBVTT\n", 1},
      {"SubRip with bad timings only", "1\n00:00:0x,000 --> 00:00:02,000\nlost\n", 1},
      {"MicroDVD with its frame rate only", "{1}{1}25\n", 1},
      {"SubStation without events", "[Script Info]\nTitle: x\n", 1},
  };
  for (const auto &c : cases) {
    TTestDriver t;
    t.Files.Add("empty.sub", c.Bytes);
    t.Files.Add("demo.avi", "");
    t.Process.Args = {"-scp", "empty.sub", "demo.avi"};
    EXPECT_EQ(t.Driver.Run(), c.ExitCode) << c.Name;
    const std::string said = "No subtitles found in empty.sub";
    EXPECT_EQ(t.Process.ErrorLines, std::vector<std::string>{said}) << c.Name;
    // Only the loader's own warnings reach standard output.
    for (const std::string &line : t.Output.Lines)
      EXPECT_EQ(line.rfind("Bad timing", 0), 0u) << c.Name << ": " << line;
  }
}

TEST_F(StartupTest, AnEmptyImportedFileStillPlaysOutsideTheScreenplay) {
  T.Files.Add("empty.vtt", "WEBVTT\n");
  TTestPlayer player;
  T.Start({"-nd", "empty.vtt", "demo.avi"}, player);
  EXPECT_EQ(player.FileName, "demo.avi");
  EXPECT_EQ(T.Process.ErrorLines, std::vector<std::string>{"No subtitles found in empty.vtt"});
  T.Driver.Finalize();
}

// Picture subtitles are named as such and end the run; a MicroDVD .sub is
// still read as text.
TEST_F(StartupTest, PictureSubtitleFilesAreAFatalError) {
  const std::string vobSub("\x00\x00\x01\xBA\x44\x00\x04\x00\x04\x01\x01\x89\xC3\xF8", 14);
  const std::string index = "# VobSub index file, v7 (do not modify this line!)\r\n#\r\n"
                            "size: 720x576\r\nid: en, index: 0\r\n"
                            "timestamp: 00:00:01:000, filepos: 000000000\r\n";
  for (const auto &[name, bytes] : {std::pair<std::string, std::string>{"film.sub", vobSub},
                                    {"film.idx", index},
                                    {"film.sub", vobSub + "\n{T;100\nHi\n}\n"}}) {
    for (const char *mode : {"-scp", "-nd"}) {
      TTestDriver t;
      t.Files.Add(name, bytes);
      t.Files.Add("demo.avi", "");
      t.Process.Args = {mode, name, "demo.avi"};
      EXPECT_EQ(t.Driver.Run(), 1) << name << " " << mode;
      EXPECT_EQ(t.Output.Lines,
                WithUsage({"Fatal error: " + name +
                           " is a picture subtitle file (VobSub); it cannot be shown as text"}))
          << name;
      EXPECT_TRUE(t.Process.ErrorLines.empty()) << name;
    }
  }
  T.Files.Add("film.sub", "{1}{1}25\r\n{25}{50}Hi|there\r\n");
  EXPECT_EQ(Run({"-scp", "film.sub", "demo.avi"}), 0);
  EXPECT_EQ(T.Output.Lines, (std::vector<std::string>{"Hi ", "there "}));
}

TEST_F(StartupTest, SubtitleCodePageReachesTheImporter) {
  T.Files.Add("cz.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\n\x9Elu\x9Dou\xE8k\xFD\r\n");
  EXPECT_EQ(Run({"-scp", "--sub-codepage", "cp1250", "cz.srt", "demo.avi"}), 0);
  EXPECT_EQ(T.Output.Lines, (std::vector<std::string>{"žluťoučký "}));
}

TEST_F(StartupTest, SubFpsIsRefusedForMillisecondTimesAndKeptForFrames) {
  T.Files.Add("t.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n");
  EXPECT_EQ(Run({"-scp", "-sf", "23.976", "t.srt", "demo.avi"}), 0);
  EXPECT_EQ(T.Output.Lines,
            (std::vector<std::string>{"Ignoring sub-fps for a subtitle file timed in milliseconds",
                                      "Hi "}));

  // Playing, the entry at one second falls due at one second; the frames of
  // a script stretch by the sub-fps over its frame rate, here to twice.
  for (const char *script : {"t.srt", "s.txt"}) {
    TTestPlayer player;
    TTestDriver t;
    t.Files.Add("t.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n");
    t.Files.Add("s.txt", ScriptText({"{HEAD", "FPS=25", "}", "{T;50", "Hi", "}"}));
    t.Files.Add("demo.avi", "");
    t.StartPlaying({"-nd", "-sf", "50", script, "demo.avi"}, player);
    const bool frames = std::string(script) == "s.txt";
    player.Position = frames ? 99 : 999;
    t.Loop.Tick();
    EXPECT_TRUE(t.Output.Lines.empty()) << script;
    player.Position = frames ? 100 : 1000;
    t.Loop.Tick();
    EXPECT_EQ(t.Output.Lines, (std::vector<std::string>{"Hi "})) << script;
    t.Driver.Finalize();
  }
}

TEST_F(StartupTest, UnreadableScriptEndsWithTheReportAndOne) {
  T.Files.Errors["s.txt"] = 5;
  EXPECT_EQ(Run({"-scp", "s.txt"}), 1);
  ASSERT_EQ(T.Output.Lines.size(), 1u);
  const std::string &report = T.Output.Lines[0];
  EXPECT_EQ(report.rfind("Exception EInOutError in module ", 0), 0u) << report;
  EXPECT_EQ(report.substr(report.size() - 21), ".\nFile access denied.");
  EXPECT_EQ(T.Process.LinesRead, 0);
}

TEST_F(StartupTest, FailedOutputDuringTheScreenplayEndsWithOne) {
  T.Output.FailAfter = 2;
  EXPECT_EQ(Run({"-scp", "s.txt"}), 1);
  EXPECT_EQ(T.Output.Lines.size(), 2u); // the report could not be written either
}

TEST_F(StartupTest, FailedFlushAtExitIsNotASuccess) {
  T.Output.FailFlush = true;
  EXPECT_EQ(Run({"-scp", "s.txt"}), 1);
}

TEST_F(StartupTest, FinalisationClearsThePathsAndTheDeviceType) {
  EXPECT_EQ(Run({"-scp", "-p", "MCI", "-mdt", "avivideo", "s.txt"}), 0);
  EXPECT_EQ(T.Driver.ScriptPath, "");
  EXPECT_EQ(T.Driver.PlayerCode, "");
  EXPECT_EQ(T.Driver.CurrentEntry.Text, "");
  EXPECT_EQ(T.Driver.Settings.MCIDeviceType, "");
}

TEST_F(StartupTest, WithoutAPlayerNormalModeEndsWithTheFatalError) {
  EXPECT_EQ(Run({"-nd", "s.txt"}), 1);
  ASSERT_GE(T.Output.Lines.size(), UsageLines.size() + 1);
  const std::vector<std::string> tail(T.Output.Lines.end() - UsageLines.size() - 1,
                                      T.Output.Lines.end());
  EXPECT_EQ(tail, WithUsage({"Fatal error: No supported video player available."}));
  EXPECT_FALSE(T.Driver.Player);
}

TEST_F(StartupTest, NormalRunPlaysUntilTheQuitKeyThenShutsDownWithZero) {
  TRecordingControl control;
  TRegisteredControl registered = PlayingMovieControl(control);
  T.Console.TypeKey('q');
  T.Loop.QueueTicks(3);
  EXPECT_EQ(Run({"-nd", "s.txt"}), 0);
  // Debug off: nothing is printed before the first subtitle.
  EXPECT_TRUE(T.Output.Lines.empty());
  // The tick timer, the only one set, is killed.
  EXPECT_EQ(T.Loop.Killed.size(), 1u);
  EXPECT_TRUE(T.Loop.Timers.empty());
  EXPECT_EQ(T.Driver.Script, nullptr);
  EXPECT_FALSE(T.Driver.Player);
  EXPECT_GE(control.Created, 1);
  EXPECT_EQ(control.Released, control.Created);
  EXPECT_EQ(T.Output.Flushes, 1);
  EXPECT_EQ(T.PlayerLog.Calls, (std::vector<std::string>{"Capture(dropped)", "Release(ok)"}));
}

// Keys typed in the player's window act from start-up to finalisation.
TEST_F(StartupTest, KeysFromThePlayersWindowActUntilFinalisation) {
  TRecordingControl control;
  TRegisteredControl registered = PlayingMovieControl(control);
  T.Process.Args = {"-nd", "s.txt"};
  T.Driver.Startup();
  EXPECT_EQ(ListenedKeys(), CommandKeys());
  control.ClearLog();
  NotifyKey('u');
  EXPECT_EQ(control.CallTexts(), (std::vector<std::string>{"call Pause"}));
  NotifyKey('q');
  EXPECT_TRUE(T.Loop.QuitPosted);
  T.Driver.Finalize();
  EXPECT_EQ(ListenedKeys(), "");
  T.Loop.QuitPosted = false;
  NotifyKey('q');
  EXPECT_FALSE(T.Loop.QuitPosted);
}

// What the player's libraries said is passed on, and standard error given
// back, before the fatal error or the report: those are the last lines.
TEST_F(StartupTest, PlayerLogIsReleasedBeforeTheFatalErrorAndTheReport) {
  T.PlayerLog.LastWords = "mpv: why";
  EXPECT_EQ(Run({"s.txt"}), 1);
  const std::vector<std::string> fatal(T.Output.Lines.end() - UsageLines.size() - 2,
                                       T.Output.Lines.end());
  EXPECT_EQ(fatal, WithUsage({"mpv: why", "Fatal error: No supported video player available."}));
  EXPECT_EQ(T.PlayerLog.Calls.at(1), "Release(failed)");

  TRecordingControl control;
  control.FailOn("FileName", DispE_Exception, TExcepInfo{});
  TRegisteredControl registered("AMovie.ActiveMovie Control", &control);
  T.Output.Lines.clear();
  T.PlayerLog.LastWords = "mpv: why";
  EXPECT_EQ(Run({"s.txt"}), 1);
  ASSERT_GE(T.Output.Lines.size(), 2u);
  EXPECT_EQ(*(T.Output.Lines.end() - 2), "mpv: why");
  EXPECT_EQ(T.Output.Lines.back().rfind("Exception EOleException", 0), 0u);
}

} // namespace
