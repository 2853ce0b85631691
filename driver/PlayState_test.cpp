// The player's state in the console title: no tag while it plays, paused,
// stopped by the s key or at the start, ended elsewhere; the title set only
// when the state changes, beside the shift, and the end said once.
#include <gtest/gtest.h>

#include "driver/TestDriver.h"
#include "driver/TestPlayer.h"

namespace {

class PlayStateTest : public ::testing::Test {
protected:
  void SetUp() override {
    T.Files.Add("s.txt", ScriptText({"{HEAD", "TITLE=Film", "FPS=25", "}", "{T;10", "one", "}"}));
    T.Driver.Script = std::make_unique<TCaptel>([](const std::string &) {}, T.CodePages, T.Files);
    T.Driver.Script->LoadFromFile("s.txt");
    T.Driver.Player = &Player;
    T.Driver.ConsoleInput = TFakeConsole::InputHandle;
    T.Driver.PlayingStarted = true;
    T.Driver.Settings.Debug = false;
    T.Driver.Settings.TickOnly = true;
  }
  void TearDown() override { T.Driver.Player.Clear(); }

  void TickAt(int32_t state, double position) {
    Player.State = state;
    Player.Position = position;
    T.Driver.TimerTick();
  }
  void Press(char key) {
    T.Console.TypeKey(key);
    T.Driver.TimerTick();
  }
  int TitlesSet() const {
    int n = 0;
    for (const std::string &call : T.Console.Calls)
      n += call.rfind("SetConsoleTitle(", 0) == 0;
    return n;
  }
  int EndLines() const {
    int n = 0;
    for (const std::string &line : T.Output.Lines)
      n += line == "End of video: q quits";
    return n;
  }

  TTestDriver T;
  TTestPlayer Player;
};

} // namespace

TEST_F(PlayStateTest, APlayingPlayerIsNeverAskedAndLeavesTheTitleAlone) {
  for (double position : {10, 20, 30})
    TickAt(vsPlaying, position);
  EXPECT_EQ(Player.Count("GetState"), 0);
  TickAt(vsPlaying, 30); // standing still: asked, still playing
  EXPECT_EQ(Player.Count("GetState"), 1);
  EXPECT_EQ(TitlesSet(), 0);
}

TEST_F(PlayStateTest, EachStateShowsInTheTitleOnceItChanges) {
  struct TCase {
    const char *What;
    int32_t State;
    double Position;
    char Key; // pressed before the tick, or 0
    const char *Title;
  };
  const TCase cases[] = {
      {"pause", vsPaused, 100, 0, "Film  [paused]"},
      {"still paused after a seek", vsPaused, 350, 0, "Film  [paused]"},
      {"playing again: the tag goes as it moves", vsPlaying, 360, 0, "Film"},
      {"the s key", vsStopped, 0, 's', "Film  [stopped]"},
      {"a seek after the s key", vsStopped, 250, 0, "Film  [stopped]"},
      {"played again", vsPlaying, 260, 'p', "Film"},
      {"stopped at the end", vsStopped, 499, 0, "Film  [ended]"},
      {"space plays from the end", vsPlaying, 10, ' ', "Film"},
      {"a followed player's stop at the start", vsStopped, 0, 0, "Film  [stopped]"},
      {"not ready shows no state", vsNotReady, 0, 0, "Film"},
  };
  TickAt(vsPlaying, 90);
  int titles = 0;
  for (const TCase &c : cases) {
    if (c.Key) Press(c.Key); // on the player as it was
    TickAt(c.State, c.Position);
    TickAt(c.State, c.Position);
    EXPECT_EQ(T.Console.Title, c.Title) << c.What;
    titles = TitlesSet();
  }
  // One title for each change, none for a tick that changed nothing.
  EXPECT_EQ(titles, 8);
}

TEST_F(PlayStateTest, EndIsSaidOnceWithDebugAndStandsBesideTheShift) {
  T.Driver.Settings.Debug = true;
  TickAt(vsPlaying, 480);
  for (int i = 0; i < 3; ++i)
    TickAt(vsStopped, 499);
  EXPECT_EQ(T.Console.Title, "Film  [ended]");
  EXPECT_EQ(EndLines(), 1);
  for (int i = 0; i < 3; ++i)
    Press('x');
  EXPECT_EQ(T.Console.Title, "Film  [ended]  [+0.3 s]");
  EXPECT_EQ(EndLines(), 1);

  // Played back from the start and to the end again: said again.
  TickAt(vsPlaying, 0);
  TickAt(vsPlaying, 10);
  EXPECT_EQ(T.Console.Title, "Film  [+0.3 s]");
  TickAt(vsStopped, 499);
  TickAt(vsStopped, 499);
  EXPECT_EQ(EndLines(), 2);

  T.Driver.Settings.Debug = false;
  TickAt(vsPlaying, 10);
  TickAt(vsStopped, 499);
  TickAt(vsStopped, 499);
  EXPECT_EQ(T.Console.Title, "Film  [ended]  [+0.3 s]");
  EXPECT_EQ(EndLines(), 2) << "the end line is a debug line";
}

TEST_F(PlayStateTest, AFailingStateReadLeavesTheTitleAndTheKeys) {
  TickAt(vsPaused, 100);
  TickAt(vsPaused, 100);
  Player.Failing = {"GetState"};
  T.Console.TypeKey('q');
  TickAt(vsPlaying, 110);
  EXPECT_TRUE(T.Loop.QuitPosted);
  EXPECT_EQ(T.Console.Title, "Film  [paused]");
}
