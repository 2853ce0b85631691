// Following a running player: the code picks the follower with its target,
// the script's frame rate or else the player's, the fatal error when nothing
// is there to follow, and the end when the followed player goes.
#include <gtest/gtest.h>

#include "driver/TestDriver.h"
#include "player/Followers.h"

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
