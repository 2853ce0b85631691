// The mpv follower over a byte stream, on every platform: where it connects,
// what it says when mpv cannot be reached, is silent or closes, and what its
// commands write.
#include <gtest/gtest.h>

#include "fake/FakeStreams.h"
#include "player/UntVideoIF.h"
#include "player/follow/MpvIpcPlayer.h"

namespace {

const std::string FrameRate30 =
    "{\"event\":\"property-change\",\"name\":\"container-fps\",\"data\":30}\n";

struct MpvIpcFollower : ::testing::Test {
  TVideoPlayerRef Follow(const std::string &target) {
    return TVideoPlayerRef(CreateMpvIpcFollower(
        {target, "", 0, [this](const std::string &line) { Ended.push_back(line); }}, Streams));
  }
  static std::string Failure(TVideoPlayerRef &player) {
    return static_cast<TFollowPlayer *>(player.Get())->Failure();
  }
  TFakeStreams Streams;
  std::vector<std::string> Ended;
};

TEST_F(MpvIpcFollower, ConnectsToTheLocalChannelItIsGivenAndAsksForItsProperties) {
  Streams.Answers = {FrameRate30};
  TVideoPlayerRef player = Follow("mpvsocket");
  ASSERT_TRUE(player->IsAvailable());
  ASSERT_EQ(Streams.Connected.size(), 1u);
  EXPECT_EQ(Streams.Connected[0].Kind, TStreamAddress::saLocal);
  EXPECT_EQ(Streams.Connected[0].Path, "mpvsocket");
  EXPECT_NE(Streams.Last->Written.find("\"observe_property\""), std::string::npos);
}

TEST_F(MpvIpcFollower, SaysWhyWhenMpvCannotBeFollowed) {
  struct TCase {
    const char *Name;
    std::string Refusal;
    std::deque<std::string> Answers;
    std::string Failure;
  } cases[] = {
      {"refused", "Connection refused", {}, "No mpv at s: Connection refused"},
      {"silent", "", {}, "mpv at s does not answer"},
      {"closes at once", "", {""}, "mpv at s closed the connection"},
      {"noise, then closes", "", {"{\"event\":\"idle\"}\n", ""}, "mpv at s closed the connection"},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(c.Name);
    Streams.Refusal = c.Refusal;
    Streams.Answers = c.Answers;
    TVideoPlayerRef player = Follow("s");
    EXPECT_FALSE(player->IsAvailable());
    EXPECT_EQ(Failure(player), c.Failure);
  }
  EXPECT_TRUE(Ended.empty());
}

TEST_F(MpvIpcFollower, CommandsGoDownTheStreamAndTheEndOfTheStreamEndsThePlayer) {
  Streams.Answers = {FrameRate30};
  TVideoPlayerRef player = Follow("s");
  ASSERT_TRUE(player->IsAvailable());
  TFakeStream &stream = *Streams.Last;
  stream.Written.clear();
  player->Pause();
  EXPECT_NE(stream.Written.find("[\"set_property\",\"pause\",true]"), std::string::npos);
  // Lines split anyhow by the stream are put together again.
  stream.Deliver("{\"event\":\"property-change\",\"name\":\"time-pos\",\"da");
  stream.Deliver("ta\":5}\n{\"event\":\"property-change\",\"name\":\"pause\",\"data\":true}\n");
  EXPECT_EQ(player->GetState(), vsPaused);
  EXPECT_DOUBLE_EQ(player->GetPosition(), 150); // 5 s at mpv's 30 fps
  stream.PeerCloses("Broken pipe");
  EXPECT_EQ(Ended, (std::vector<std::string>{"Lost the connection to mpv at s: Broken pipe"}));
  EXPECT_FALSE(stream.IsOpen());
}

TEST_F(MpvIpcFollower, AQuietCloseSaysMpvHasClosed) {
  Streams.Answers = {FrameRate30};
  TVideoPlayerRef player = Follow("s");
  Streams.Last->PeerCloses();
  EXPECT_EQ(Ended, (std::vector<std::string>{"mpv has closed (s)"}));
}

} // namespace
