// Following mpv over a real Unix socket served by a fake mpv: lines split
// anyhow, a 10 MB line and broken JSON on the way, the keys' commands, the
// end when mpv goes, a socket that never answers and one that closes at once.
#include <gtest/gtest.h>

#include <chrono>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "platform/Loop.h"
#include "platform/Streams.h"
#include "player/follow/MpvIpcPlayer.h"

namespace {

// A listening socket in a fresh folder; `Serve` runs on its own thread with
// the one connection it accepts.
struct TFakeMpv {
  TFakeMpv() {
    char folder[] = "/tmp/cuestrip-ipc-XXXXXX";
    Folder = mkdtemp(folder);
    Path = Folder + "/mpv.sock";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", Path.c_str());
    Listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bind(Listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    listen(Listener, 1);
  }
  ~TFakeMpv() {
    if (Thread.joinable()) Thread.join();
    close(Listener);
    unlink(Path.c_str());
    rmdir(Folder.c_str());
  }
  void Serve(std::function<void(int)> serve) {
    Thread = std::thread([this, serve] {
      int connection = accept(Listener, nullptr, nullptr);
      serve(connection);
      close(connection);
    });
  }
  static void Write(int fd, const std::string &bytes) {
    for (size_t done = 0; done < bytes.size();) {
      ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
      if (count <= 0) return;
      done += static_cast<size_t>(count);
    }
  }
  // Reads until `text` has come (or the peer closes); returns all read.
  static std::string ReadUntil(int fd, const std::string &text) {
    std::string got;
    char buffer[4096];
    while (got.find(text) == std::string::npos) {
      ssize_t count = read(fd, buffer, sizeof buffer);
      if (count <= 0) break;
      got.append(buffer, static_cast<size_t>(count));
    }
    return got;
  }
  std::string Folder, Path;
  int Listener = -1;
  std::thread Thread;
};

} // namespace

TEST(MpvIpcPlayer, FollowsThroughNoiseSendsKeysAndEndsWhenMpvGoes) {
  TFakeMpv mpv;
  std::string received;
  mpv.Serve([&](int fd) {
    received = TFakeMpv::ReadUntil(fd, "container-fps");
    TFakeMpv::Write(fd, "{\"event\":\"property-change\",\"name\":\"container-f");
    TFakeMpv::Write(fd, "ps\",\"data\":30}\n");
    TFakeMpv::Write(fd, "{\"data\":\"" + std::string(10 << 20, 'x') + "\"}\nnot json\n{]\n");
    TFakeMpv::Write(fd, "{\"event\":\"property-change\",\"name\":\"time-pos\",\"data\":5}\n"
                        "{\"event\":\"property-change\",\"name\":\"pause\",\"data\":true}\n");
    received += TFakeMpv::ReadUntil(fd, "absolute+exact");
  });
  auto loopOwner = CreatePlatformLoop();
  ILoop &loop = *loopOwner;
  auto streams = CreatePlatformStreams(loop);
  std::vector<std::string> ended;
  TVideoPlayerRef player(CreateMpvIpcFollower({mpv.Path, "", 0,
                                               [&](const std::string &line) {
                                                 ended.push_back(line);
                                                 loop.PostQuitMessage(0);
                                               }},
                                              *streams));
  ASSERT_TRUE(player->IsAvailable());
  TMessage message;
  loop.SetTimer(5000, [&] { loop.PostQuitMessage(1); }); // a bound, never reached
  loop.SetTimer(20, [&] {
    if (player->GetState() != vsPaused) return;
    EXPECT_DOUBLE_EQ(player->GetPosition(), 150); // 5 s at mpv's 30 fps
    player->Seek(sdBackward, 30);
  });
  while (loop.GetMessage(message) > 0)
    loop.DispatchMessage(message);
  EXPECT_EQ(message.WParam, 0u);
  EXPECT_NE(received.find("[\"seek\",4.000000,\"absolute+exact\"]"), std::string::npos);
  EXPECT_EQ(ended, (std::vector<std::string>{"mpv has closed (" + mpv.Path + ")"}));
}

TEST(MpvIpcPlayer, ASocketThatNeverAnswersIsAClearFailure) {
  TFakeMpv silent;
  silent.Serve([](int fd) { TFakeMpv::ReadUntil(fd, "never"); });
  auto loop = CreatePlatformLoop();
  auto streams = CreatePlatformStreams(*loop);
  TVideoPlayerRef player(CreateMpvIpcFollower({silent.Path, "", 25, nullptr}, *streams));
  EXPECT_FALSE(player->IsAvailable());
  EXPECT_EQ(static_cast<TFollowPlayer *>(player.Get())->Failure(),
            "mpv at " + silent.Path + " does not answer");
  player.Clear(); // closes the socket, so the fake's read ends
}

// A peer that accepts and closes at once is reported as closed, quickly,
// whether the opening lines still went out or already met the closed socket
// (which once waited out the answer time and said "does not answer"; in one
// process the close seldom wins that race, tests/e2e/posix/ipc-closed.sh
// catches it every time).
TEST(MpvIpcPlayer, ASocketClosedAtOnceIsReportedClosedEveryTime) {
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    TFakeMpv closing;
    closing.Serve([](int) {});
    const auto start = std::chrono::steady_clock::now();
    auto loop = CreatePlatformLoop();
    auto streams = CreatePlatformStreams(*loop);
    TVideoPlayerRef player(CreateMpvIpcFollower({closing.Path, "", 25, nullptr}, *streams));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(player->IsAvailable());
    EXPECT_EQ(static_cast<TFollowPlayer *>(player.Get())->Failure(),
              "mpv at " + closing.Path + " closed the connection");
  }
}
