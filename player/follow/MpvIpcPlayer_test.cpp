// The mpv follower over a byte stream, on every platform: where it connects,
// what it says when mpv cannot be reached, is silent or closes, and what its
// commands write; then over this platform's own local channel (a Unix
// socket, or a named pipe given by its bare name on Windows) served by a fake
// mpv: the opening lines, position and pause, a seek sent, the end when mpv goes, and
// a channel closed at once.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fake/FakeStreams.h"
#include "platform/Loop.h"
#include "platform/StreamTestPeer.h"
#include "platform/Streams.h"
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

namespace {

// What comes until `text` has, the peer has gone or a few seconds passed.
std::string ReceiveUntil(IStreamTestPeer &peer, const std::string &text) {
  std::string got;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (got.find(text) == std::string::npos && std::chrono::steady_clock::now() < giveUp)
    got += peer.Receive(1 << 16, 0.05);
  return got;
}

TEST(MpvIpcFollowerOverItsChannel, FollowsOverTheLocalChannelAndEndsWhenMpvGoes) {
  auto mpv = CreateStreamTestPeer(TStreamAddress::saLocal);
  const std::string target = mpv->Address().Path;
  std::string received;
  std::thread served([&] {
    if (!mpv->Accept()) return;
    received = ReceiveUntil(*mpv, "container-fps");
    mpv->Send("{\"event\":\"property-change\",\"name\":\"container-fps\",\"data\":30}\n");
    mpv->Send("{\"event\":\"property-change\",\"name\":\"time-pos\",\"data\":5}\n"
              "{\"event\":\"property-change\",\"name\":\"pause\",\"data\":true}\n");
    received += ReceiveUntil(*mpv, "absolute+exact");
    mpv->HangUp();
  });
  auto loop = CreatePlatformLoop();
  auto streams = CreatePlatformStreams(*loop);
  std::vector<std::string> ended;
  TVideoPlayerRef player(CreateMpvIpcFollower({target, "", 0,
                                               [&](const std::string &line) {
                                                 ended.push_back(line);
                                                 loop->PostQuitMessage(0);
                                               }},
                                              *streams));
  EXPECT_TRUE(player->IsAvailable());
  bool seeked = false;
  uintptr_t bound = loop->SetTimer(8000, [&] { loop->PostQuitMessage(1); });
  uintptr_t poll = loop->SetTimer(20, [&] {
    if (seeked || player->GetState() != vsPaused) return;
    seeked = true;
    EXPECT_DOUBLE_EQ(player->GetPosition(), 150); // 5 s at mpv's 30 fps
    player->Seek(sdBackward, 30);
  });
  TMessage message;
  while (loop->GetMessage(message) > 0)
    loop->DispatchMessage(message);
  loop->KillTimer(bound);
  loop->KillTimer(poll);
  served.join();
  EXPECT_EQ(message.WParam, 0u) << "mpv's end never came";
  EXPECT_NE(received.find("[\"seek\",4.000000,\"absolute+exact\"]"), std::string::npos);
  EXPECT_EQ(ended, (std::vector<std::string>{"mpv has closed (" + target + ")"}));
}

TEST(MpvIpcFollowerOverItsChannel, AChannelClosedAtOnceIsReportedClosed) {
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    auto mpv = CreateStreamTestPeer(TStreamAddress::saLocal);
    std::thread served([&] {
      if (mpv->Accept()) mpv->HangUp();
    });
    auto loop = CreatePlatformLoop();
    auto streams = CreatePlatformStreams(*loop);
    const auto start = std::chrono::steady_clock::now();
    TVideoPlayerRef player(CreateMpvIpcFollower({mpv->Address().Path, "", 25, nullptr}, *streams));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    served.join();
    EXPECT_FALSE(player->IsAvailable());
    EXPECT_EQ(static_cast<TFollowPlayer *>(player.Get())->Failure(),
              "mpv at " + mpv->Address().Path + " closed the connection");
  }
}

} // namespace
