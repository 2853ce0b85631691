// Following a running player: the code picks the follower with its target,
// the script's frame rate or else the player's, the fatal error when nothing
// is there to follow, and the end when the followed player goes.
#include <gtest/gtest.h>

#include <cmath>

#include "driver/TestDriver.h"
#include "player/follow/Followers.h"

namespace {

class TFakeFollower : public TFollowPlayer {
public:
  TFakeFollower(const TFollowRequest &request, bool available)
      : TFollowPlayer(request.FrameRate > 0 ? request.FrameRate : 30, request.Ended, nullptr) {
    if (available)
      FAvailable = true;
    else
      Fail("Nothing to follow at " + request.Target);
  }
  void Play() override {}
  void Stop() override {}
  void Pause() override {}
  using TFollowPlayer::End;
  // The followed player stands at `seconds` (a seek it made itself).
  void At(double seconds) { Clock.Jump(seconds, Now()); }

protected:
  int32_t State() override { return vsPlaying; }
  void SeekSeconds(double) override {}
  void Disconnect() override {}
};

struct FollowTest : ::testing::Test {
  FollowTest() {
    T.Driver.Script = std::make_unique<TCaptel>([](const std::string &) {}, T.CodePages, T.Files);
    T.Driver.Script->FrameRate = 25;
    RegisterFollower("fake", [this](const TFollowRequest &request) {
      Requests.push_back(request);
      Follower = new TFakeFollower(request, Available);
      return Follower;
    });
  }
  ~FollowTest() override {
    T.Driver.Player.Clear();
    UnregisterFollower("fake");
  }
  int Select(const std::string &code) {
    T.Driver.PlayerCode = code;
    return T.ExitCodeOf([&] { T.Driver.SelectPlayer(); });
  }

  // Follows a fake player over a native script (its lines) or an imported
  // file (its bytes), ready for its first reading.
  void Follow(const std::string &file) {
    T.Files.Add("s.txt", file);
    T.Driver.Script = std::make_unique<TCaptel>([](const std::string &) {}, T.CodePages, T.Files);
    T.Driver.Script->LoadFromFile("s.txt");
    T.Driver.Settings.Debug = false;
    ASSERT_EQ(Select("fake"), -1);
    T.Driver.TimerTick(); // sees it playing
    T.Output.Lines.clear();
  }
  // The lines written when the player is read at `seconds`, without the
  // blanks the layout puts at their ends.
  std::vector<std::string> ReadAt(double seconds) {
    T.Output.Lines.clear();
    Follower->At(seconds);
    T.Driver.TimerTick();
    for (std::string &line : T.Output.Lines)
      line.erase(line.find_last_not_of(' ') + 1);
    return T.Output.Lines;
  }

  bool Available = true;
  TFakeFollower *Follower = nullptr;
  std::vector<TFollowRequest> Requests;
  TTestDriver T;
};

} // namespace

TEST_F(FollowTest, FollowsWithTheScriptsRateElseThePlayersOwn) {
  struct Case {
    bool Given;
    double RequestRate, ScriptRate;
  } cases[] = {{true, 25, 25}, {false, 0, 30}};
  for (const Case &c : cases) {
    T.Driver.Script->FrameRate = 25;
    T.Driver.Script->FrameRateGiven = c.Given;
    EXPECT_EQ(Select("fake:/run/mpv.sock"), -1);
    EXPECT_EQ(T.Driver.Player.Get(), Follower);
    EXPECT_EQ(Requests.back().Target, "/run/mpv.sock");
    EXPECT_EQ(Requests.back().FrameRate, c.RequestRate);
    EXPECT_EQ(T.Driver.Script->FrameRate, c.ScriptRate);
  }
  EXPECT_TRUE(T.Driver.FollowsPlayer());
  T.Driver.PlayerCode = "fakes";
  EXPECT_FALSE(T.Driver.FollowsPlayer());
}

TEST_F(FollowTest, TheFollowedPlayerGoingEndsTheProgramWithZero) {
  ASSERT_EQ(Select("fake"), -1);
  EXPECT_EQ(Requests.back().Target, "");
  Follower->End("mpv has closed");
  Follower->End("twice");
  EXPECT_EQ(T.Output.Lines, (std::vector<std::string>{"mpv has closed"}));
  EXPECT_TRUE(T.Loop.QuitPosted);
  EXPECT_EQ(T.Loop.QuitCode, 0);
  EXPECT_THROW(T.Driver.Player->GetPosition(), Exception);
}

TEST_F(FollowTest, NothingToFollowIsAFatalErrorWithoutFallback) {
  Available = false;
  EXPECT_EQ(Select("fake:nowhere"), 1);
  ASSERT_FALSE(T.Output.Lines.empty());
  EXPECT_EQ(T.Output.Lines[0], "Fatal error: Nothing to follow at nowhere");
  EXPECT_FALSE(T.Driver.Player);
}

using TLines = std::vector<std::string>;

// A native script with an entry each second: "L<n>" at frame 25 n.
std::string EverySecond(int last) {
  std::string text = ScriptText({"{HEAD", "FPS=25", "}"});
  for (int n = 1; n <= last; ++n)
    text += ScriptText({"{T;" + std::to_string(25 * n), "L" + std::to_string(n), "}"});
  return text;
}

TEST_F(FollowTest, JoiningAnImportedTableShowsTheCuesStillRunning) {
  Follow("1\n00:00:01,000 --> 00:00:03,000\npassed\n\n"
         "2\n00:00:10,000 --> 00:01:00,000\nlong running\n\n"
         "3\n00:00:50,000 --> 00:00:52,999\njust ended\n\n"
         "4\n00:00:51,000 --> 00:00:53,000\nends as we join\n\n"
         "5\n00:00:52,000 --> 00:00:55,000\nnow a\nnow b\n\n"
         "6\n00:00:56,000 --> 00:00:58,000\nlater\n");
  EXPECT_EQ(ReadAt(53), (TLines{"long running", "now a", "now b"}));
  EXPECT_EQ(ReadAt(57), (TLines{"later"}));
}

TEST_F(FollowTest, JoiningANativeScriptShowsTheLastEntryDue) {
  Follow(EverySecond(40));
  EXPECT_EQ(ReadAt(10.5), (TLines{"L10"}));
}

TEST_F(FollowTest, JoiningBeforeTheFirstEntryShowsNothing) {
  Follow(EverySecond(40));
  EXPECT_EQ(ReadAt(0.5), TLines{});
  EXPECT_EQ(ReadAt(1), (TLines{"L1"}));
}

// Forward by more than 5 s is a jump that skips what passed; less writes
// every entry on the way, as always; back seeks the cursor back as always.
TEST_F(FollowTest, JumpsForwardBeyondFiveSecondsSkipWhatPassed) {
  Follow(EverySecond(40));
  EXPECT_EQ(ReadAt(2), (TLines{"L2"}));
  EXPECT_EQ(ReadAt(6.9), (TLines{"L3", "L4", "L5", "L6"}));
  EXPECT_EQ(ReadAt(20), (TLines{"L20"}));
  EXPECT_EQ(ReadAt(10), (TLines{"L10"}));
  EXPECT_EQ(ReadAt(12), (TLines{"L11", "L12"}));
}

TEST_F(FollowTest, TheJoinAndTheJumpSayWhereWithDebugOn) {
  Follow(EverySecond(40));
  T.Driver.Settings.Debug = true;
  T.Driver.Timing.ShiftMs = 2000; // the line gives the video's time, not the script's
  EXPECT_EQ(ReadAt(53), (TLines{"Joined at 0:53", "L40"}));
  EXPECT_EQ(ReadAt(3730.5), (TLines{"Jumped to 1:02:10"}));
  EXPECT_EQ(ReadAt(3731), TLines{});
}

TEST(VideoTimeLabel, MinutesUnderAnHourHoursFromOne) {
  const std::pair<double, const char *> cases[] = {
      {0, "0:00"},       {53, "0:53"},      {59.99, "0:59"},     {60, "1:00"}, {3599.9, "59:59"},
      {3600, "1:00:00"}, {3730, "1:02:10"}, {36000, "10:00:00"}, {-1, "0:00"}, {NAN, "0:00"}};
  for (const auto &[seconds, label] : cases)
    EXPECT_EQ(TDriver::VideoTimeLabel(seconds), label) << seconds;
}

// The players the program plays itself keep writing every entry passed.
TEST_F(FollowTest, AControlPlayerStillWritesEveryEntryItPasses) {
  Follow(EverySecond(40));
  T.Driver.Following = false;
  EXPECT_EQ(ReadAt(3), (TLines{"L1", "L2", "L3"}));
  EXPECT_EQ(ReadAt(10), (TLines{"L4", "L5", "L6", "L7", "L8", "L9", "L10"}));
}
