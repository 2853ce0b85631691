// Following a fake MPRIS player on a private session bus: values of the wrong
// type, a refused SetPosition, the player leaving the bus, a flood of Seeked
// signals, and nothing to follow.
#include <cstdlib>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <systemd/sd-bus.h>
#include <thread>

#include "platform/Loop.h"
#include "player/follow/Followers.h"
#include "player/follow/Mpris.h"
#include "player/follow/MprisSession.h"

namespace {

// A session bus of the test's own, for the life of the object.
struct TPrivateBus {
  TPrivateBus() {
    FILE *daemon =
        popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
    char address[512] = "", pid[32] = "";
    if (daemon && std::fgets(address, sizeof address, daemon) &&
        std::fgets(pid, sizeof pid, daemon)) {
      address[std::strcspn(address, "\n")] = 0;
      Pid = std::atoi(pid);
      setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
    }
    if (daemon) pclose(daemon);
  }
  ~TPrivateBus() {
    if (Pid > 0) kill(Pid, SIGTERM);
  }
  int Pid = 0;
};

// A player on its own connection and thread: Position of type `PositionType`,
// a track id, SetPosition refused, the other methods recorded.
struct TFakeMpris {
  static int Status(sd_bus *, const char *, const char *, const char *, sd_bus_message *reply,
                    void *, sd_bus_error *) {
    return sd_bus_message_append(reply, "s", "Playing");
  }
  static int WrongPosition(sd_bus *, const char *, const char *, const char *,
                           sd_bus_message *reply, void *, sd_bus_error *) {
    return sd_bus_message_append(reply, "s", "soon");
  }
  static int Metadata(sd_bus *, const char *, const char *, const char *, sd_bus_message *reply,
                      void *, sd_bus_error *) {
    return sd_bus_message_append(reply, "a{sv}", 1, "mpris:trackid", "o", "/track/1");
  }
  static int Method(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<TFakeMpris *>(data);
    std::lock_guard<std::mutex> lock(self->Lock);
    self->Calls.push_back(sd_bus_message_get_member(m));
    if (self->Calls.back() == "SetPosition")
      return sd_bus_reply_method_errorf(m, "org.mpris.MediaPlayer2.Refused", "no");
    return sd_bus_reply_method_return(m, "");
  }
  static constexpr sd_bus_vtable Table[] = {SD_BUS_VTABLE_START(0),
                                            SD_BUS_PROPERTY("PlaybackStatus", "s", Status, 0, 0),
                                            SD_BUS_PROPERTY("Position", "s", WrongPosition, 0, 0),
                                            SD_BUS_PROPERTY("Metadata", "a{sv}", Metadata, 0, 0),
                                            SD_BUS_METHOD("Play", "", "", Method, 0),
                                            SD_BUS_METHOD("SetPosition", "ox", "", Method, 0),
                                            SD_BUS_METHOD("Seek", "x", "", Method, 0),
                                            SD_BUS_VTABLE_END};

  TFakeMpris() {
    sd_bus_open_user(&Bus);
    sd_bus_add_object_vtable(Bus, nullptr, "/org/mpris/MediaPlayer2",
                             "org.mpris.MediaPlayer2.Player", Table, this);
    sd_bus_request_name(Bus, "org.mpris.MediaPlayer2.fake", 0);
    Thread = std::thread([this] {
      while (!Leaving) {
        if (Flood.exchange(0) > 0)
          for (int i = 0; i < 100000; ++i)
            sd_bus_emit_signal(Bus, "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Player",
                               "Seeked", "x", int64_t{i});
        if (sd_bus_process(Bus, nullptr) == 0) sd_bus_wait(Bus, 10000);
      }
      sd_bus_flush_close_unref(Bus);
    });
  }
  ~TFakeMpris() { Leave(); }
  void Leave() {
    Leaving = true;
    if (Thread.joinable()) Thread.join();
  }
  bool Called(const std::string &name) {
    std::lock_guard<std::mutex> lock(Lock);
    return std::find(Calls.begin(), Calls.end(), name) != Calls.end();
  }

  sd_bus *Bus = nullptr;
  std::thread Thread;
  std::atomic<bool> Leaving{false};
  std::atomic<int> Flood{0};
  std::mutex Lock;
  std::vector<std::string> Calls;
};

struct MprisPlayerTest : ::testing::Test {
  MprisPlayerTest() {
    if (Bus.Pid <= 0) return;
    RegisterMprisFollower(&Loop);
  }
  ~MprisPlayerTest() override { UnregisterFollower("mpris"); }
  TVideoPlayerRef Follow(const std::string &code) {
    std::string target;
    const TFollowFactory *factory = FindFollower(code, target);
    return TVideoPlayerRef((*factory)({target, "", 25, [this](const std::string &line) {
                                         Ended.push_back(line);
                                         Loop.PostQuitMessage(0);
                                       }}));
  }
  // Runs the loop until `done` holds or a second has passed.
  void RunUntil(std::function<bool()> done) {
    uintptr_t check = Loop.SetTimer(10, [&] {
      if (done()) Loop.PostQuitMessage(0);
    });
    uintptr_t bound = Loop.SetTimer(1000, [&] { Loop.PostQuitMessage(1); });
    TMessage message;
    while (Loop.GetMessage(message) > 0)
      Loop.DispatchMessage(message);
    Loop.KillTimer(check);
    Loop.KillTimer(bound);
  }

  TPrivateBus Bus;
  std::unique_ptr<ILoop> LoopOwner = CreatePlatformLoop();
  ILoop &Loop = *LoopOwner;
  std::vector<std::string> Ended;
};

} // namespace

TEST_F(MprisPlayerTest, WrongTypesARefusedSeekAndThePlayerLeaving) {
  if (Bus.Pid <= 0) GTEST_SKIP() << "no dbus-daemon";
  TFakeMpris fake;
  TVideoPlayerRef player = Follow("mpris:fake");
  ASSERT_TRUE(player->IsAvailable());
  EXPECT_EQ(player->GetState(), vsNotReady); // no position of the right type
  EXPECT_EQ(player->GetPosition(), 0);
  player->Seek(sdForward, 250);
  RunUntil([&] { return fake.Called("Seek"); });
  EXPECT_TRUE(fake.Called("SetPosition"));
  EXPECT_TRUE(fake.Called("Seek")); // the relative move after the refusal
  fake.Leave();
  RunUntil([&] { return !Ended.empty(); });
  EXPECT_EQ(Ended,
            (std::vector<std::string>{"The player has closed: org.mpris.MediaPlayer2.fake"}));
}

TEST_F(MprisPlayerTest, AFloodOfSeekedSignalsLeavesTheLoopResponsive) {
  if (Bus.Pid <= 0) GTEST_SKIP() << "no dbus-daemon";
  TFakeMpris fake;
  TVideoPlayerRef player = Follow("mpris");
  ASSERT_TRUE(player->IsAvailable());
  fake.Flood = 1;
  int ticks = 0;
  Loop.SetTimer(20, [&] { ++ticks; });
  RunUntil([] { return false; });
  EXPECT_GE(ticks, 20); // about 50 in the second, flood or not
}

TEST_F(MprisPlayerTest, NothingToFollowSaysWhatWasLookedFor) {
  if (Bus.Pid <= 0) GTEST_SKIP() << "no dbus-daemon";
  TVideoPlayerRef player = Follow("mpris:nosuch");
  EXPECT_FALSE(player->IsAvailable());
  EXPECT_EQ(static_cast<TFollowPlayer *>(player.Get())->Failure(), MprisLookedFor("nosuch"));
}

// Without a session bus the user is told what is missing, not sd-bus's
// "No medium found".
TEST_F(MprisPlayerTest, NoSessionBusSaysWhatIsMissing) {
  const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string saved = address ? address : "";
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedRuntime = runtime ? runtime : "";
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  setenv("XDG_RUNTIME_DIR", "/nonexistent-cuestrip-runtime", 1);
  TVideoPlayerRef player = Follow("mpris");
  if (address) setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
  if (runtime)
    setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
  else
    unsetenv("XDG_RUNTIME_DIR");
  EXPECT_FALSE(player->IsAvailable());
  EXPECT_EQ(static_cast<TFollowPlayer *>(player.Get())->Failure(),
            "no session bus (DBUS_SESSION_BUS_ADDRESS is not set)");
}
