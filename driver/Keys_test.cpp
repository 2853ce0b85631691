// The keyboard commands: the key table, both letter cases, the seek amounts
// and the keys that do nothing.
#include <gtest/gtest.h>

#include "driver/KeyTable.h"
#include "driver/TestDriver.h"
#include "driver/TestPlayer.h"

namespace {

using TCalls = std::vector<std::string>;

class KeysTest : public ::testing::Test {
protected:
  void SetUp() override {
    T.Driver.Script = std::make_unique<TCaptel>([](const std::string &) {}, T.CodePages, T.Files);
    T.Driver.Script->FrameRate = 25;
    T.Driver.Player = &Player;
  }
  void TearDown() override { T.Driver.Player.Clear(); }

  TCalls Press(char ch) {
    Player.Calls.clear();
    T.Driver.HandleKey(TFakeConsole::KeyRecord(ch, true));
    return Player.Calls;
  }

  TTestDriver T;
  TTestPlayer Player;
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
  T.Driver.Script->FrameRate = 29.97;
  EXPECT_EQ(Press(','), TCalls{"Seek(1,299.7)"});
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
    const int64_t shift = T.Driver.Timing.ShiftMs;
    const bool acted =
        !Press(ch).empty() || T.Loop.Calls.size() != loopCalls || T.Driver.Timing.ShiftMs != shift;
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
