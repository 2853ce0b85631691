// The player log's shared part: lines cleaned, marked and cut, a few a
// second with a count of the rest, and the failure reason of a failed run.
#include <gtest/gtest.h>

#include "platform/PlayerLog.h"
#include "platform/fake/FakeLoop.h"

namespace {

using TLines = std::vector<std::string>;

struct TLogUnderTest {
  TFakeLoop Loop;
  TPlayerLog Log{Loop};
  TLines Lines;
  void Capture(bool show) {
    Log.Capture([this](const std::string &line) { Lines.push_back(line); }, show);
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
