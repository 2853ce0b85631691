// The keyboard commands: the key table, both letter cases, the seek amounts
// and the keys that do nothing; then the player's state in the console
// title: no tag while it plays, paused,
// stopped by the s key or at the start, ended elsewhere; the title set only
// when the state changes, beside the shift, and the end said once.
#include <gtest/gtest.h>

#include "driver/KeyTable.h"
#include "driver/TestDriver.h"
#include "driver/TestPlayer.h"

namespace {

using TCalls = std::vector<std::string>;

// The program started on a script at `fps` frames a second and the test
// player; the start's own loop calls are forgotten.
void StartAt(TTestDriver &t, TTestPlayer &player, const std::string &fps) {
  t.Files.Add("s.txt", ScriptText({"{HEAD", "FPS=" + fps, "}", "{T;10", "one", "}"}));
  t.Files.Add("v.avi", "");
  t.Start({"s.txt", "v.avi"}, player);
  t.Loop.Calls.clear();
}

TCalls Press(TTestDriver &t, TTestPlayer &player, char ch) {
  player.Calls.clear();
  t.Driver.HandleKey(TFakeConsole::KeyRecord(ch, true));
  return player.Calls;
}

class KeysTest : public ::testing::Test {
protected:
  void SetUp() override { StartAt(T, Player, "25"); }
  void TearDown() override { T.Driver.Finalize(); }

  TCalls Press(char ch) { return ::Press(T, Player, ch); }

  TTestPlayer Player;
  TTestDriver T;
};

} // namespace

TEST_F(KeysTest, LettersInBothCases) {
  for (char ch : {'p', 'P'})
    EXPECT_EQ(Press(ch), TCalls{"Play"});
  for (char ch : {'s', 'S'})
    EXPECT_EQ(Press(ch), TCalls{"Stop"});
  for (char ch : {'u', 'U'})
    EXPECT_EQ(Press(ch), TCalls{"Pause"});
  EXPECT_FALSE(T.Loop.QuitPosted);
  EXPECT_TRUE(Press('Q').empty());
  EXPECT_EQ(T.Loop.Calls, TCalls{"PostQuitMessage(0)"});
  Press('q');
  EXPECT_EQ(T.Loop.Calls.size(), 2u);
}

TEST_F(KeysTest, SpacePausesOnlyWhilePlaying) {
  Player.State = vsPlaying;
  EXPECT_EQ(Press(' '), (TCalls{"GetState", "Pause"}));
  for (int32_t state : {int32_t(vsNotReady), int32_t(vsStopped), int32_t(vsPaused), 7}) {
    Player.State = state;
    EXPECT_EQ(Press(' '), (TCalls{"GetState", "Play"})) << state;
  }
}

TEST_F(KeysTest, SeeksByTenSecondsAndAMinuteOfFrames) {
  EXPECT_EQ(Press(','), TCalls{"Seek(1,250)"});
  EXPECT_EQ(Press('.'), TCalls{"Seek(0,250)"});
  EXPECT_EQ(Press('<'), TCalls{"Seek(1,1500)"});
  EXPECT_EQ(Press('>'), TCalls{"Seek(0,1500)"});

  TTestPlayer player;
  TTestDriver ntsc;
  StartAt(ntsc, player, "29.97");
  EXPECT_EQ(::Press(ntsc, player, ','), TCalls{"Seek(1,299.7)"});
  ntsc.Driver.Finalize();
}

TEST_F(KeysTest, OtherKeysReleasesAndOtherEventsDoNothing) {
  for (char ch : {'0', '9', 'a', 'x', '\r', '\x1b', '\0', '\t', '-', '+'})
    EXPECT_TRUE(Press(ch).empty()) << int(ch);
  for (char ch : {'p', ' ', 'q', ','}) {
    T.Driver.HandleKey(TFakeConsole::KeyRecord(ch, false));
    TInputRecord focus = TFakeConsole::KeyRecord(ch, true);
    focus.EventType = 16; // FOCUS_EVENT
    T.Driver.HandleKey(focus);
  }
  EXPECT_TRUE(Player.Calls.empty());
  EXPECT_FALSE(T.Loop.QuitPosted);
}

TEST_F(KeysTest, RepeatCountIsIgnored) {
  TInputRecord held = TFakeConsole::KeyRecord('.', true);
  held.RepeatCount = 5;
  T.Driver.HandleKey(held);
  EXPECT_EQ(Player.Calls, TCalls{"Seek(0,250)"});
}

// The keys the player's window passes on are exactly those that do something
// here, so a key added to one list and not the other cannot go unnoticed.
TEST_F(KeysTest, CommandKeysAreExactlyTheKeysThatAct) {
  for (int code = 1; code < 128; ++code) {
    const char ch = static_cast<char>(code);
    const size_t loopCalls = T.Loop.Calls.size();
    const size_t consoleCalls = T.Console.Calls.size(); // a shift sets the title
    const bool acted = !Press(ch).empty() || T.Loop.Calls.size() != loopCalls ||
                       T.Console.Calls.size() != consoleCalls;
    const bool listed = CommandKeys().find(ch) != std::string::npos;
    EXPECT_EQ(acted, listed) << "key " << code;
  }
}

TEST_F(KeysTest, PlayerWindowKeyActsAsTheConsolesAndAFailureStaysInside) {
  T.Driver.PlayerWindowKey('u');
  EXPECT_EQ(Player.Calls, TCalls{"Pause"});
  T.Driver.PlayerWindowKey('Q');
  EXPECT_TRUE(T.Loop.QuitPosted);
  Player.Failing = {"Stop"};
  EXPECT_NO_THROW(T.Driver.PlayerWindowKey('s'));
}

namespace {

// The program playing a script titled "Film", subtitles at the ticks only.
class PlayStateTest : public ::testing::Test {
protected:
  void SetUp() override {
    T.Files.Add("s.txt", ScriptText({"{HEAD", "TITLE=Film", "FPS=25", "}", "{T;10", "one", "}"}));
    T.Files.Add("v.avi", "");
  }
  void TearDown() override { T.Driver.Finalize(); }
  void Begin(bool debug = false) {
    std::vector<std::string> args = {"-to", "s.txt", "v.avi"};
    if (!debug) args.insert(args.begin(), "-nd");
    T.StartPlaying(args, Player);
  }

  void TickAt(int32_t state, double position) {
    Player.State = state;
    Player.Position = position;
    T.Loop.Tick();
  }
  void Press(char key) { T.TypeAndTick(std::string(1, key)); }
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

  TTestPlayer Player;
  TTestDriver T;
};

} // namespace

TEST_F(PlayStateTest, APlayingPlayerIsNeverAskedAndLeavesTheTitleAlone) {
  Begin();
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
  Begin();
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
  Begin(true);
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
}

TEST_F(PlayStateTest, WithoutDebugTheEndShowsInTheTitleOnly) {
  Begin();
  TickAt(vsPlaying, 480);
  for (int i = 0; i < 3; ++i)
    TickAt(vsStopped, 499);
  EXPECT_EQ(T.Console.Title, "Film  [ended]");
  EXPECT_EQ(EndLines(), 0) << "the end line is a debug line";
}

TEST_F(PlayStateTest, AFailingStateReadLeavesTheTitleAndTheKeys) {
  Begin();
  TickAt(vsPaused, 100);
  TickAt(vsPaused, 100);
  Player.Failing = {"GetState"};
  T.Console.TypeKey('q');
  TickAt(vsPlaying, 110);
  EXPECT_TRUE(T.Loop.QuitPosted);
  EXPECT_EQ(T.Console.Title, "Film  [paused]");
}
