// The timer tick: waiting for playback, the due subtitles, the key drain,
// failures inside a tick, and the message loop that runs the ticks. The wake
// between ticks, on the fake loop's clock: entries on their frames,
// a stalled player, pause and seek, the same entries as ticks alone, the
// shift keys and the script frame rate, and input that must not upset it.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "driver/TestDriver.h"
#include "driver/TestPlayer.h"
#include "player/FrameSignal.h"

namespace {

// The program started on a script and the test player, playing from its
// first tick.
class ClockTest : public ::testing::Test {
protected:
  void SetUp() override {
    AddFiles();
    T.StartPlaying(Args, Player);
  }
  void TearDown() override { T.Driver.Finalize(); }
  void AddFiles() {
    T.Files.Add("s.txt",
                ScriptText({"{HEAD", "FPS=25", "}", "{T;10", "one", "}", "{T;20", "two", "}",
                            "{T;20", "three", "}", "{T;30", "four", "}", "{T;500", "five", "}"}));
    T.Files.Add("v.avi", "");
  }

  // The subtitles written so far, without the layout's trailing blank.
  std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (std::string line : T.Output.Lines) {
      while (!line.empty() && line.back() == ' ')
        line.pop_back();
      texts.push_back(line);
    }
    return texts;
  }
  void TickAt(double position) {
    Player.Position = position;
    T.Loop.Tick();
  }

  const std::vector<std::string> Args = {"s.txt", "v.avi"};
  TTestPlayer Player;
  TTestDriver T;
};

// Started, but no tick yet: the player has not been seen to play.
class ClockAwaitTest : public ClockTest {
protected:
  void SetUp() override {
    AddFiles();
    T.Start(Args, Player);
    T.Output.Lines.clear(); // the console's diagnostics
  }
};

using TTexts = std::vector<std::string>;

} // namespace

TEST_F(ClockAwaitTest, WaitsForPlaybackThenPresentsFromTheNextTick) {
  Player.State = vsNotReady;
  Player.Position = 100;
  T.Loop.Tick();
  T.Loop.Tick();
  EXPECT_EQ(Player.Calls, (TTexts{"GetState", "GetState"}));

  Player.State = vsStopped;
  T.Loop.Tick();
  EXPECT_TRUE(Shown().empty()) << "the tick that sees playback begin writes nothing";

  Player.State = vsNotReady; // never asked again
  T.Loop.Tick();
  EXPECT_EQ(Player.Calls, (TTexts{"GetState", "GetState", "GetState", "GetPosition"}));
  EXPECT_EQ(Shown(), (TTexts{"one", "two", "three", "four"}));
}

TEST_F(ClockAwaitTest, KeysWorkWhileThePlayerIsNeverReady) {
  Player.State = vsNotReady;
  T.TypeAndTick("pq");
  EXPECT_EQ(Player.Calls, (TTexts{"GetState", "Play"}));
  EXPECT_TRUE(T.Loop.QuitPosted);
  EXPECT_TRUE(T.Console.Input.empty());
}

TEST_F(ClockTest, EveryDueEntryInOneTickInFileOrder) {
  TickAt(5);
  EXPECT_TRUE(Shown().empty());
  TickAt(20.9); // truncated to 20: both entries at 20 are due
  EXPECT_EQ(Shown(), (TTexts{"one", "two", "three"}));
  TickAt(499);
  TickAt(499);
  EXPECT_EQ(Shown(), (TTexts{"one", "two", "three", "four"}));
}

TEST_F(ClockTest, BackwardSeekShowsEntriesAgainAsTheyFallDue) {
  TickAt(35);
  TickAt(15);
  EXPECT_EQ(Shown().size(), 4u) << "moving back writes nothing by itself";
  TickAt(25);
  EXPECT_EQ(Shown(), (TTexts{"one", "two", "three", "four", "two", "three"}));
}

TEST_F(ClockTest, QuitThenOtherKeysInTheSameBatchAllAct) {
  T.Console.TypeKey('q');
  T.Console.TypeKey('s');
  T.Console.TypeKey('>');
  TickAt(0);
  EXPECT_TRUE(T.Loop.QuitPosted);
  EXPECT_EQ(Player.Calls, (TTexts{"GetPosition", "Stop", "Seek(0,1500)"}));
}

TEST_F(ClockTest, ReleasesAndOtherEventsAreConsumedAndDoNothing) {
  TInputRecord mouse;
  mouse.EventType = 2;
  mouse.KeyDown = 1;
  mouse.AsciiChar = 'q';
  T.Console.PushEvent(mouse);
  T.Console.PushEvent(TFakeConsole::KeyRecord('s', false));
  TickAt(0);
  EXPECT_TRUE(T.Console.Input.empty());
  EXPECT_FALSE(T.Loop.QuitPosted);
  EXPECT_EQ(Player.Calls, (TTexts{"GetPosition"}));
}

// A player that fails in every tick must not take the keys with it.
TEST_F(ClockTest, FailingPositionWritesNothingButKeysStillWork) {
  Player.Failing = {"GetPosition"};
  TickAt(100);
  EXPECT_TRUE(Shown().empty());
  T.Console.TypeKey('u');
  T.Console.TypeKey('q');
  TickAt(100);
  EXPECT_EQ(Player.Count("Pause"), 1);
  EXPECT_TRUE(T.Loop.QuitPosted);
}

TEST_F(ClockTest, FailingOutputEndsTheSubtitlesButNotTheTick) {
  T.Output.FailAfter = 1;
  T.Console.TypeKey('q');
  TickAt(35);
  EXPECT_EQ(Shown(), (TTexts{"one"}));
  EXPECT_TRUE(T.Loop.QuitPosted);
  // What was done stays done: the cursor has passed the failed entry.
  T.Output.FailAfter = -1;
  TickAt(35);
  EXPECT_EQ(Shown(), (TTexts{"one", "three", "four"}));
}

TEST_F(ClockTest, FailingKeyCommandLeavesTheRestForTheNextTick) {
  Player.Failing = {"Play"};
  T.Console.TypeKey('p');
  T.Console.TypeKey('s');
  TickAt(0);
  EXPECT_EQ(Player.Count("Stop"), 0);
  EXPECT_FALSE(T.Console.Input.empty());
  TickAt(0);
  EXPECT_EQ(Player.Count("Stop"), 1);
  EXPECT_EQ(Player.Count("Play"), 1) << "the failed key is not read again";
}

TEST_F(ClockTest, FailingPeekEndsTheDrain) {
  T.Console.PeekResult = false;
  T.Console.TypeKey('q');
  TickAt(0);
  EXPECT_FALSE(T.Loop.QuitPosted);
  EXPECT_EQ(T.Console.Input.size(), 2u);
}

TEST_F(ClockTest, MessageLoopRunsTicksUntilQuit) {
  T.Loop.QueueTicks(2);
  T.Console.TypeKey('q');
  T.Loop.QueueTicks(3);
  T.Driver.RunMessageLoop();
  EXPECT_EQ(Player.Count("GetPosition"), 1) << "no tick after the quit message";
  EXPECT_EQ(T.Loop.Messages.size(), 4u);
}

namespace {

using TTexts = std::vector<std::string>;

// A video at 25 frames a second on the fake clock.
struct TVideo {
  double Base = 0;  // position when it last started or stopped
  double Since = 0; // clock then
  bool Playing = false;
  bool Stepped = false; // reports whole frames, as the frame on screen
  double At(double clock) const {
    double position = Base + (Playing ? 25 * (clock - Since) : 0);
    return Stepped ? std::floor(position) : position;
  }
  void Set(double clock, double position, bool playing) {
    Base = position;
    Since = clock;
    Playing = playing;
  }
};

class WakeTest : public ::testing::Test {
protected:
  // Starts the program afresh on the script at `fps` with the options in
  // `args`, and diagnostics off unless `debug`.
  void Load(const std::string &fps = "25", std::vector<std::string> args = {}, bool debug = false) {
    if (T) T->Driver.Finalize();
    T.reset();
    T.emplace();
    T->Files.Add("s.txt", ScriptText({"{HEAD", "FPS=" + fps, "TITLE=Test", "}", "{T;10", "one", "}",
                                      "{T;20", "two", "}", "{T;20", "three", "}", "{T;30", "four",
                                      "}", "{T;500", "five", "}"}));
    T->Files.Add("v.avi", "");
    if (!debug) args.push_back("-nd");
    args.push_back("s.txt");
    args.push_back("v.avi");
    Player.Follow = [this] { return Video.At(T->Loop.Clock); };
    T->Start(args, Player);
    Written.clear();
  }
  void SetUp() override { Load(); }
  // A fresh run for the next case of a table.
  void Restart(const std::string &fps = "25", std::vector<std::string> args = {},
               bool debug = false) {
    Load(fps, std::move(args), debug);
  }
  void TearDown() override { T->Driver.Finalize(); }

  // Starts the video now; the first tick sees it playing.
  void Start() {
    Start0 = T->Loop.Clock;
    Video.Set(T->Loop.Clock, 0, true);
    Player.State = vsPlaying;
    T->Loop.Tick();
    NextTick = T->Loop.Clock + 0.180;
  }
  // Runs the clock in half-millisecond steps with a tick every 180 ms,
  // noting when each line is written (seconds after the start).
  void RunFor(double seconds) {
    const double end = T->Loop.Clock + seconds;
    while (T->Loop.Clock < end) {
      T->Loop.RunClockTo(std::min({T->Loop.Clock + 0.0005, NextTick, end}));
      if (T->Loop.Clock >= NextTick) {
        T->Loop.Tick();
        NextTick += 0.180;
      }
      for (size_t i = Written.size(); i < T->Output.Lines.size(); ++i) {
        std::string line = T->Output.Lines[i];
        while (!line.empty() && line.back() == ' ')
          line.pop_back();
        Written.push_back({T->Loop.Clock - Start0, line});
      }
    }
  }
  void Press(char key) { T->Driver.HandleKey(TFakeConsole::KeyRecord(key, true)); }
  TTexts Texts() const {
    TTexts texts;
    for (auto &w : Written)
      texts.push_back(w.second);
    return texts;
  }
  double MomentOf(const std::string &text) const {
    for (auto &w : Written)
      if (w.second == text) return w.first;
    return -1;
  }

  TTestPlayer Player;
  TVideo Video;
  std::optional<TTestDriver> T;
  double Start0 = 0;
  double NextTick = 0;
  std::vector<std::pair<double, std::string>> Written;
};

} // namespace

TEST_F(WakeTest, EachEntryOnItsFrameNeverEarly) {
  struct TCase {
    bool Stepped;
    double Phase; // of the ticks against the frames
    double Late;  // how late an entry may come
  } cases[] = {
      {false, 0, 0.0015}, {false, 0.013, 0.0015}, {true, 0.007, 0.0415}, {true, 0.031, 0.0415}};
  for (const TCase &c : cases) {
    Restart();
    T->Loop.RunClockBy(c.Phase);
    Video.Stepped = c.Stepped;
    Start();
    RunFor(1.5);
    EXPECT_EQ(Texts(), (TTexts{"one", "two", "three", "four"})) << c.Phase;
    const double due[] = {0.4, 0.8, 0.8, 1.2};
    for (size_t i = 0; i < 4 && i < Written.size(); ++i) {
      EXPECT_GE(Written[i].first, due[i] - 1e-9) << Written[i].second << " early";
      EXPECT_LE(Written[i].first, due[i] + c.Late) << Written[i].second << " phase " << c.Phase;
    }
  }
}

TEST_F(WakeTest, StalledPlayerIsAskedAgainWithoutASpin) {
  Start();
  RunFor(0.3);
  Video.Set(T->Loop.Clock, 9.5, false); // buffering: short of "one", still playing
  const size_t firedBefore = T->Loop.OneShotsFired.size();
  RunFor(2.0);
  EXPECT_TRUE(Texts().empty());
  const size_t wakes = T->Loop.OneShotsFired.size() - firedBefore;
  EXPECT_GE(wakes, 3u) << "a stalled player is asked again";
  EXPECT_LE(wakes, 30u) << "a stalled player is asked in a spin";
  EXPECT_GE(Player.Count("GetState"), 3);
  for (size_t i = 1; i < T->Loop.OneShotsFired.size(); ++i)
    ASSERT_GE(T->Loop.OneShotsFired[i] - T->Loop.OneShotsFired[i - 1], 0.001 - 1e-9);

  Video.Set(T->Loop.Clock, 9.5, true);
  const double resumed = T->Loop.Clock - Start0;
  RunFor(0.3);
  EXPECT_EQ(Texts(), TTexts{"one"});
  EXPECT_LE(MomentOf("one"), resumed + 0.02 + 0.181) << "no later than a tick would";
}

TEST_F(WakeTest, PauseSetsNoWakeAndPlayAndSeekPlanAtOnce) {
  Start();
  RunFor(0.2);
  Player.State = vsPaused;
  Video.Set(T->Loop.Clock, Video.At(T->Loop.Clock), false);
  Press('u');
  RunFor(0.5);
  EXPECT_TRUE(T->Loop.OneShots.empty()) << "a wake while paused";
  EXPECT_TRUE(Texts().empty());

  Player.State = vsPlaying;
  Video.Set(T->Loop.Clock, Video.At(T->Loop.Clock), true);
  Press('p');
  const double played = T->Loop.Clock - Start0;
  RunFor(0.3);
  EXPECT_EQ(Texts(), TTexts{"one"});
  EXPECT_NEAR(MomentOf("one"), played + 0.2, 0.0015) << "5 frames after the play key";

  Video.Set(T->Loop.Clock, Video.At(T->Loop.Clock) + 250, true); // the seek the key asks for
  Press('.');
  const double sought = T->Loop.Clock - Start0;
  RunFor(0.01);
  EXPECT_EQ(Texts(), (TTexts{"one", "two", "three", "four"}));
  EXPECT_LE(MomentOf("four"), sought + 0.0015) << "a seek does not wait for the tick";
}

// The wake changes only when entries are written: run with and without it,
// through a backward seek and a player that slips back without one.
TEST_F(WakeTest, SameEntriesInTheSameOrderAsTicksAlone) {
  TTexts runs[2];
  for (bool tickOnly : {true, false}) {
    Restart("25", tickOnly ? std::vector<std::string>{"-to"} : std::vector<std::string>{});
    Start();
    RunFor(1.3);
    Video.Set(T->Loop.Clock, Video.At(T->Loop.Clock) - 0.6, true); // slips back
    RunFor(0.5);
    Video.Set(T->Loop.Clock, 0, true);
    Press(',');
    RunFor(1.3);
    runs[tickOnly ? 0 : 1] = Texts();
    if (tickOnly) {
      EXPECT_TRUE(T->Loop.OneShotsFired.empty());
    }
  }
  EXPECT_EQ(runs[1], runs[0]);
  EXPECT_EQ(runs[0], (TTexts{"one", "two", "three", "four", "one", "two", "three", "four"}));
}

TEST_F(WakeTest, ShiftKeysAndScriptFrameRateMoveTheDueMoment) {
  struct TCase {
    const char *Keys;
    const char *SubFps; // "--sub-fps", or none when empty
    double Due;         // of "four", frame 30
  } cases[] = {{"", "", 1.2},         {"xxx", "", 1.5}, {"zz", "", 1.0},
               {"X", "", 2.2},        {"Zx", "", 0.3},  {"", "23.976", 30 * 23.976 / 25 / 25},
               {"x", "50", 2.4 + 0.1}};
  for (const TCase &c : cases) {
    Restart("25", *c.SubFps ? std::vector<std::string>{"--sub-fps", c.SubFps}
                            : std::vector<std::string>{});
    for (const char *key = c.Keys; *key; ++key)
      Press(*key);
    Start();
    RunFor(c.Due + 0.1);
    EXPECT_NEAR(MomentOf("four"), c.Due, 0.0015) << c.Keys << " " << c.SubFps;
  }
}

TEST_F(WakeTest, ShiftShowsInTitleAndLogAndALaterShiftShowsNothingAgain) {
  Restart("25", {}, true);
  Press('x');
  Press('x');
  Press('x');
  EXPECT_EQ(T->Console.Title, "Test  [+0.3 s]");
  EXPECT_EQ(T->Output.Lines.back(), "Subtitle delay +0.3 s");
  Press('Z');
  EXPECT_EQ(T->Console.Title, "Test  [-0.7 s]");
  Press('X');
  Press('z');
  Press('z');
  Press('z');
  EXPECT_EQ(T->Console.Title, "Test");

  Restart(); // as the shifts left it: none, and without diagnostics

  Start();
  RunFor(1.3);
  Press('X'); // a second later: the last four are due again only in a second
  RunFor(1.5);
  EXPECT_EQ(Texts(), (TTexts{"one", "two", "three", "four"}));
  Video.Set(T->Loop.Clock, 0, true);
  Press('<'); // a seek back past them shows them again, a second late
  const double sought = T->Loop.Clock - Start0;
  RunFor(2.3);
  EXPECT_EQ(Texts().size(), 8u);
  EXPECT_NEAR(MomentOf("four") + 0, 1.2, 0.0015);
  EXPECT_NEAR(Written[4].first, sought + 1.4, 0.0015) << Written[4].second;
}

TEST_F(WakeTest, RatesDelaysAndPressesOutOfRange) {
  // No usable rate: no wake ever, the ticks carry on alone.
  for (const char *fps : {"0", "NAN", "1e9"}) {
    Restart(fps);
    Video.Set(T->Loop.Clock, 0, true);
    Press('x');
    Player.Follow = nullptr;
    T->Loop.Tick(); // playback begins
    for (int i = 0; i < 5; ++i) {
      Player.Position = i * 10;
      T->Loop.Tick();
      T->Loop.RunClockBy(0.18);
    }
    EXPECT_TRUE(T->Loop.OneShots.empty()) << fps;
    EXPECT_TRUE(T->Loop.OneShotsFired.empty()) << fps;
  }

  // Ten hours either way, ten thousand presses, and a shift that stops at a
  // day.
  for (int64_t shift : {36000000LL, -36000000LL}) {
    Restart("25", {"--delay", std::to_string(shift / 1000)});
    Start();
    RunFor(0.5);
    EXPECT_EQ(Texts().size(), shift > 0 ? 0u : 5u) << shift;
    for (const auto &shot : T->Loop.OneShots)
      EXPECT_LE(shot.second.Due - T->Loop.Clock, 60.001);
  }
  for (char key : {'X', 'Z'}) {
    Restart();
    for (int i = 0; i < 10000; ++i)
      Press(key);
    const std::string sign = key == 'X' ? "+" : "-";
    EXPECT_EQ(T->Console.Title, "Test  [" + sign + "10000.0 s]");
    T->Driver.ShiftSubtitles((key == 'X' ? 1 : -1) * TSubtitleTiming::MaxShiftMs);
    EXPECT_EQ(T->Console.Title, "Test  [" + sign + "86400.0 s]");
  }
}

// Frame reports are asked for only shortly before an entry falls due, and a
// report then reads the player at once; one far from it costs no call.
TEST_F(WakeTest, FrameReportsJustBeforeAnEntryWriteItOnTheFrame) {
  std::vector<std::pair<double, bool>> switched;
  const int owner = 0;
  SetFrameSwitch(&owner, [&](bool on) { switched.push_back({T->Loop.Clock - Start0, on}); });
  Start();
  RunFor(0.2);
  const int reads = Player.Count("GetPosition");
  T->Driver.FrameShown();
  EXPECT_EQ(Player.Count("GetPosition"), reads) << "a report far from the due frame";
  EXPECT_TRUE(switched.empty() || !switched.back().second);

  RunFor(0.16);
  ASSERT_FALSE(switched.empty());
  EXPECT_TRUE(switched.back().second);
  EXPECT_GE(switched.back().first, 0.3 - 0.001) << "asked for too soon";
  Video.Set(T->Loop.Clock, 10, true); // the player is a little ahead of the clock
  T->Driver.FrameShown();
  RunFor(0.0005);
  EXPECT_EQ(Texts(), TTexts{"one"});
  EXPECT_NEAR(MomentOf("one"), 0.36, 0.001);
  ClearFrameSwitch(&owner);
  WantFrames(false);
}
