// The timer tick: waiting for playback, the due subtitles, the key drain,
// failures inside a tick, and the message loop that runs the ticks.
#include <gtest/gtest.h>

#include "driver/TestDriver.h"
#include "driver/TestPlayer.h"

namespace {

class ClockTest : public ::testing::Test {
protected:
  void SetUp() override {
    T.Files.Add("s.txt",
                ScriptText({"{HEAD", "FPS=25", "}", "{T;10", "one", "}", "{T;20", "two", "}",
                            "{T;20", "three", "}", "{T;30", "four", "}", "{T;500", "five", "}"}));
    T.Driver.Script = std::make_unique<TCaptel>([](const std::string &) {}, T.CodePages, T.Files);
    T.Driver.Script->LoadFromFile("s.txt");
    T.Driver.Player = &Player;
    T.Driver.ConsoleInput = TFakeConsole::InputHandle;
    T.Driver.PlayingStarted = true;
  }
  void TearDown() override { T.Driver.Player.Clear(); }

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
    T.Driver.TimerTick();
  }

  TTestDriver T;
  TTestPlayer Player;
};

using TTexts = std::vector<std::string>;

} // namespace

TEST_F(ClockTest, WaitsForPlaybackThenPresentsFromTheNextTick) {
  T.Driver.PlayingStarted = false;
  Player.State = vsNotReady;
  Player.Position = 100;
  T.Driver.TimerTick();
  T.Driver.TimerTick();
  EXPECT_EQ(Player.Calls, (TTexts{"GetState", "GetState"}));
  EXPECT_FALSE(T.Driver.PlayingStarted);

  Player.State = vsStopped;
  T.Driver.TimerTick();
  EXPECT_TRUE(T.Driver.PlayingStarted);
  EXPECT_TRUE(Shown().empty()) << "the tick that sees playback begin writes nothing";

  Player.State = vsNotReady; // never asked again
  T.Driver.TimerTick();
  EXPECT_EQ(Player.Count("GetState"), 3);
  EXPECT_EQ(Player.Count("GetPosition"), 1);
  EXPECT_EQ(T.Driver.LastPosition, 100);
  EXPECT_EQ(Shown(), (TTexts{"one", "two", "three", "four"}));
}

TEST_F(ClockTest, KeysWorkWhileThePlayerIsNeverReady) {
  T.Driver.PlayingStarted = false;
  Player.State = vsNotReady;
  T.Console.TypeKey('p');
  T.Console.TypeKey('q');
  T.Driver.TimerTick();
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
  T.Driver.TimerId = T.Loop.SetTimer(180, [this] { T.Driver.TimerTick(); });
  T.Loop.QueueTicks(2);
  T.Console.TypeKey('q');
  T.Loop.QueueTicks(3);
  T.Driver.RunMessageLoop();
  EXPECT_EQ(Player.Count("GetPosition"), 1) << "no tick after the quit message";
  EXPECT_EQ(T.Loop.Messages.size(), 4u);
}
