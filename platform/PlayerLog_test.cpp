// The player log's shared part: lines cleaned, marked and cut, a few a
// second with a count of the rest, and the failure reason of a failed run.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "fake/FakeLoop.h"
#include "platform/PlayerLog.h"

namespace {

using TLines = std::vector<std::string>;

struct TLogUnderTest {
  TFakeLoop Loop;
  TPlayerLog Log{Loop};
  TLines Lines;
  // Verbose unless told: the lines as the player says them.
  void Capture(bool show, bool verbose = true) {
    Log.Capture([this](const std::string &line) { Lines.push_back(line); }, show, verbose);
  }
  void Feed(const std::string &bytes) { Log.Feed(bytes.data(), bytes.size()); }
};

} // namespace

TEST(PlayerLog, LinesAreMarkedCleanedAndCut) {
  const std::string cut(TPlayerLog::MaxLineLength, 'x');
  const struct {
    std::string Text, Line;
  } cases[] = {
      {"ALSA lib conf.c:5180: error", "mpv: ALSA lib conf.c:5180: error"},
      {"\x1b[31mred\x1b[0m\ttab\x07", "mpv: [31mred[0m tab"},
      {"caf\xc3\xa9", "mpv: caf??"},
      {cut + "yyy", "mpv: " + cut},
  };
  for (auto &c : cases)
    EXPECT_EQ(PlayerLogLine(c.Text), c.Line);
}

TEST(PlayerLog, CapturedBytesBecomeLinesWhateverTheirChunksAndEnds) {
  TLogUnderTest t;
  t.Capture(true);
  t.Feed("one\r\ntw");
  t.Feed("o\n\n");
  // A line of megabytes is passed on at the bound; the rest is skipped.
  t.Feed(std::string(3 << 20, 'z') + "\nthree");
  EXPECT_EQ(t.Lines, (TLines{"mpv: one", "mpv: two", "mpv: " + std::string(300, 'z')}));
  t.Log.Release(false);
  EXPECT_EQ(t.Lines.back(), "mpv: three") << "an unended line is not lost at the end";
}

TEST(PlayerLog, AFewLinesASecondAndACountOfTheRest) {
  TLogUnderTest t;
  t.Capture(true);
  for (int i = 0; i < 20; ++i)
    t.Log.Write("line " + std::to_string(i));
  ASSERT_EQ(t.Lines.size(), size_t(TPlayerLog::LinesPerWindow));
  EXPECT_EQ(t.Lines.back(), "mpv: line 4");
  // The count comes when the second is over, by the loop's timer.
  ASSERT_EQ(t.Loop.Timers.size(), 1u);
  t.Loop.Tick();
  EXPECT_EQ(t.Lines.back(), "mpv: 15 lines not shown");
  EXPECT_TRUE(t.Loop.Timers.empty());
  t.Log.Write("later");
  EXPECT_EQ(t.Lines.back(), "mpv: later");
}

TEST(PlayerLog, WithoutDebugOnlyTheReasonOfAFailedRunIsShown) {
  for (bool failed : {false, true}) {
    TLogUnderTest t;
    t.Capture(false);
    t.Feed("ALSA lib pcm.c: Unknown PCM default\n");
    t.Log.Write("Failed to recognize file format.");
    t.Log.SetFailureReason("Failed to recognize file format.");
    t.Log.Release(failed);
    t.Log.Release(failed);
    EXPECT_EQ(t.Lines, failed ? TLines{"mpv: Failed to recognize file format."} : TLines{});
  }
}

TEST(PlayerLog, TheReasonIsNotRepeatedWhenAlreadyShown) {
  TLogUnderTest t;
  t.Capture(true);
  t.Log.Write("Failed to recognize file format.\n");
  t.Log.SetFailureReason("Failed to recognize file format.");
  t.Log.Release(true);
  EXPECT_EQ(t.Lines, (TLines{"mpv: Failed to recognize file format."}));
}

TEST(PlayerLog, ALineThatCannotBeWrittenIsNotAFailure) {
  TFakeLoop loop;
  TPlayerLog log(loop);
  log.Capture([](const std::string &) { throw std::runtime_error("disk full"); }, true);
  EXPECT_NO_THROW(log.Write("x"));
  log.SetFailureReason("y");
  EXPECT_NO_THROW(log.Release(true));
}

// By default the console hears only what the user needs: the notices, once
// each, and why a failed run failed; the chatter of the libraries stays off.
TEST(PlayerLog, QuietByDefaultButForNoticesAndTheFailureReason) {
  TLogUnderTest t;
  t.Capture(true, false);
  t.Feed("ALSA lib confmisc.c:855: cannot find card '0'\n");
  t.Log.Write("XDG_RUNTIME_DIR is invalid");
  t.Log.Notice("no audio output, playing silently");
  t.Log.Notice("no audio output, playing silently");
  t.Log.SetFailureReason("Failed to recognize file format.");
  t.Log.Release(true);
  EXPECT_EQ(t.Lines, (TLines{"mpv: no audio output, playing silently",
                             "mpv: Failed to recognize file format."}));
  EXPECT_TRUE(t.Loop.Timers.empty()) << "nothing counted as left out";
}

TEST(PlayerLog, NothingAtAllWithoutDiagnostics) {
  TLogUnderTest t;
  t.Capture(false, true);
  t.Log.Write("chatter");
  t.Log.Notice("no audio output, playing silently");
  t.Log.Release(false);
  EXPECT_TRUE(t.Lines.empty());
}

// The log file takes every line, whole, however many come in a second.
TEST(PlayerLog, TheLogFileTakesEveryLineUnthrottled) {
  const std::string path = ::testing::TempDir() + "cuestrip-player-log.txt";
  TLogUnderTest t;
  std::string error;
  ASSERT_TRUE(t.Log.SetLogFile(path, error)) << error;
  t.Capture(true, false);
  for (int i = 0; i < 20; ++i)
    t.Log.Write("line " + std::to_string(i));
  t.Feed("caf\xc3\xa9\n");
  t.Log.Release(false);
  std::ifstream file(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string expected;
  for (int i = 0; i < 20; ++i)
    expected += "line " + std::to_string(i) + "\n";
  EXPECT_EQ(text, expected + "caf\xc3\xa9\n");
  EXPECT_TRUE(t.Lines.empty());
  std::remove(path.c_str());
}

TEST(PlayerLog, ALogFileThatCannotBeWrittenSaysWhy) {
  TLogUnderTest t;
  std::string error;
  EXPECT_FALSE(t.Log.SetLogFile(::testing::TempDir() + "no-such-folder/x/log.txt", error));
  EXPECT_FALSE(error.empty());
}
