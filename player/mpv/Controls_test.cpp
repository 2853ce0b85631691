// The stand-in controls over a real libmpv, headless (vo and ao null), with a
// 20 s, 25 fps video made by ffmpeg for the run; then the player adapters
// over the registered stand-ins, the whole way from the
// driver's interface to mpv, with errors arriving as the control's own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "base/Errors.h"
#include "fake/FakePlayerLog.h"
#include "platform/Loop.h"
#include "player/StandInControls.h"
#include "player/UntIFAMovie.h"
#include "player/UntIFMPlayer.h"
#include "player/mpv/MpvTestSupport.h"
#include "player/mpv/StandInControls.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class MpvControls : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Dir = MakeMpvTestFolder("/tmp/cuestrip-mpv-XXXXXX", Video);
    ASSERT_FALSE(Dir.empty());
    std::ofstream(Dir / "notes.txt") << "not a video\n";
    Audio = (Dir / "tone.wav").string();
    std::string command =
        "ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2 '" + Audio + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  static void TearDownTestSuite() { fs::remove_all(Dir); }

  static int32_t Call(IDispatchObject &control, const std::string &name, uint16_t flags,
                      TVariant *argument, TVariant *result, TExcepInfo *error = nullptr) {
    int32_t id = 0;
    int32_t status = control.GetIDOfName(name, id);
    if (status != S_Ok) return status;
    std::vector<TVariant> args;
    if (argument) args.push_back(*argument);
    TExcepInfo info;
    status = control.Invoke(id, flags, args, result, info);
    if (error) *error = info;
    return status;
  }
  static TVariant Get(IDispatchObject &control, const std::string &name) {
    TVariant result;
    EXPECT_EQ(Call(control, name, DispatchMethod | DispatchPropertyGet, nullptr, &result), S_Ok)
        << name;
    return result;
  }
  static void Put(IDispatchObject &control, const std::string &name, TVariant value) {
    EXPECT_EQ(Call(control, name, DispatchPropertyPut, &value, nullptr), S_Ok) << name;
  }
  static void Method(IDispatchObject &control, const std::string &name) {
    EXPECT_EQ(Call(control, name, DispatchMethod, nullptr, nullptr), S_Ok) << name;
  }
  static bool WaitFor(std::function<bool()> done, int ms = 5000) {
    auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      if (done()) return true;
      std::this_thread::sleep_for(milliseconds(20));
    }
    return done();
  }
  static int64_t Integer(const TVariant &v) { return v.IntValue; }

  static inline fs::path Dir;
  static inline std::string Video;
  static inline std::string Audio;
};

} // namespace

TEST_F(MpvControls, AMovieStartsByItselfAndRunsInRealTime) {
  auto control = CreateAMovieControl(nullptr);
  EXPECT_EQ(Integer(Get(*control, "currentstate")), -1);
  TVariant name = TVariant::String(Video);
  Put(*control, "FileName", name);
  ASSERT_TRUE(WaitFor([&] { return Integer(Get(*control, "currentstate")) == 2; }));
  double start = Get(*control, "CurrentPosition").DoubleValue;
  std::this_thread::sleep_for(milliseconds(1000));
  double later = Get(*control, "CurrentPosition").DoubleValue;
  EXPECT_NEAR(later - start, 1.0, 0.25);
  EXPECT_EQ(Get(*control, "FileName").StringValue, Video);

  Put(*control, "DisplayMode", TVariant::Integer(1));
  double frames = Get(*control, "CurrentPosition").DoubleValue;
  EXPECT_NEAR(frames, later * 25, 10);
}

TEST_F(MpvControls, AMoviePauseRunStopAndExactSeeks) {
  auto control = CreateAMovieControl(nullptr);
  Put(*control, "FileName", TVariant::String(Video));
  ASSERT_TRUE(WaitFor([&] { return Integer(Get(*control, "currentstate")) == 2; }));

  Method(*control, "Pause");
  EXPECT_EQ(Integer(Get(*control, "currentstate")), 1);
  Put(*control, "CurrentPosition", TVariant::Double(10.48));
  ASSERT_TRUE(WaitFor(
      [&] { return std::abs(Get(*control, "CurrentPosition").DoubleValue - 10.48) < 0.02; }));
  Put(*control, "DisplayMode", TVariant::Integer(1));
  double frame = 87;
  Put(*control, "CurrentPosition", TVariant::DoubleByRef(frame));
  ASSERT_TRUE(
      WaitFor([&] { return std::abs(Get(*control, "CurrentPosition").DoubleValue - 87) < 0.5; }));

  Method(*control, "Run");
  EXPECT_EQ(Integer(Get(*control, "currentstate")), 2);
  Method(*control, "Stop");
  EXPECT_EQ(Integer(Get(*control, "currentstate")), 0);
  ASSERT_TRUE(WaitFor([&] { return Get(*control, "CurrentPosition").DoubleValue < 0.5; }));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_LT(Get(*control, "CurrentPosition").DoubleValue, 0.5) << "stopped but moving";
  EXPECT_EQ(Integer(Get(*control, "currentstate")), 0);
}

TEST_F(MpvControls, EndOfTheVideoIsStoppedOnTheLastFrame) {
  auto control = CreateAMovieControl(nullptr);
  Put(*control, "FileName", TVariant::String(Video));
  ASSERT_TRUE(WaitFor([&] { return Integer(Get(*control, "currentstate")) == 2; }));
  Put(*control, "CurrentPosition", TVariant::Double(19.5));
  ASSERT_TRUE(WaitFor([&] { return Integer(Get(*control, "currentstate")) == 0; }));
  EXPECT_NEAR(Get(*control, "CurrentPosition").DoubleValue, 19.96, 0.1);
  // Past the end: the position settles on the last frame again.
  Put(*control, "CurrentPosition", TVariant::Double(100));
  EXPECT_TRUE(WaitFor([&] { return Get(*control, "CurrentPosition").DoubleValue < 20.1; }));
  EXPECT_EQ(Integer(Get(*control, "currentstate")), 0);
}

TEST_F(MpvControls, MciOpensPlaysAndCountsFrames) {
  auto control = CreateMciControl(nullptr);
  Put(*control, "FileName", TVariant::String(Video));
  EXPECT_EQ(Integer(Get(*control, "mode")), 524) << "not open before the open command";
  TVariant play = TVariant::String("play");
  EXPECT_EQ(Call(*control, "Command", DispatchPropertyPut, &play, nullptr), DispE_Exception);

  Put(*control, "Command", TVariant::String("open"));
  EXPECT_EQ(Integer(Get(*control, "mode")), 525);
  Put(*control, "Command", TVariant::String("play"));
  EXPECT_EQ(Integer(Get(*control, "mode")), 526);

  Put(*control, "TimeFormat", TVariant::Integer(3));
  Put(*control, "Command", TVariant::String("pause"));
  EXPECT_EQ(Integer(Get(*control, "mode")), 529);
  double frame = 250;
  Put(*control, "Position", TVariant::DoubleByRef(frame));
  ASSERT_TRUE(WaitFor([&] { return std::abs(Get(*control, "Position").DoubleValue - 250) < 0.5; }));
  Put(*control, "TimeFormat", TVariant::Integer(0));
  EXPECT_NEAR(Get(*control, "Position").DoubleValue, 10000, 20);

  Put(*control, "Command", TVariant::String("stop"));
  EXPECT_EQ(Integer(Get(*control, "mode")), 525);

  TVariant eject = TVariant::String("eject");
  TExcepInfo error;
  EXPECT_EQ(Call(*control, "Command", DispatchPropertyPut, &eject, nullptr, &error),
            DispE_Exception);
  EXPECT_NE(error.Description.find("eject"), std::string::npos);
}

// A file that cannot be played fails every call, the state too, with mpv's
// own words kept as the failure reason: the run can end on it.
TEST_F(MpvControls, UnplayableFilesFailEveryCallWithMpvsReason) {
  const std::string missing = (Dir / "missing.mp4").string();
  // mpv's own words on why a load failed, kept as the failure reason.
  const struct {
    std::string File, Reason;
  } cases[] = {
      {missing, "Cannot open file '" + missing + "': No such file or directory"},
      {(Dir / "notes.txt").string(), "Failed to recognize file format."},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(c.File);
    auto movie = CreateAMovieControl(nullptr);
    Put(*movie, "FileName", TVariant::String(c.File));
    TExcepInfo error;
    ASSERT_TRUE(WaitFor([&] {
      return Call(*movie, "Run", DispatchMethod, nullptr, nullptr, &error) == DispE_Exception;
    }));
    EXPECT_NE(error.Description.find("Cannot play"), std::string::npos) << error.Description;
    EXPECT_EQ(Call(*movie, "currentstate", DispatchPropertyGet, nullptr, nullptr, &error),
              DispE_Exception);
    EXPECT_NE(error.Description.find("Cannot play"), std::string::npos) << error.Description;

    TFakePlayerLog log;
    auto mci = CreateMciControl(nullptr, &log);
    Put(*mci, "FileName", TVariant::String(c.File));
    TVariant open = TVariant::String("open");
    EXPECT_EQ(Call(*mci, "Command", DispatchPropertyPut, &open, nullptr, &error), DispE_Exception);
    EXPECT_EQ(Call(*mci, "mode", DispatchPropertyGet, nullptr, nullptr, &error), DispE_Exception);
    EXPECT_EQ(log.Reason, c.Reason);
  }
}

// Subtitles for a radio play are legitimate: a sound file plays, and the
// user is told there is no picture.
TEST_F(MpvControls, ASoundFilePlaysWithANoticeOfNoPicture) {
  TFakePlayerLog log;
  auto movie = CreateAMovieControl(nullptr, &log);
  Put(*movie, "FileName", TVariant::String(Audio));
  ASSERT_TRUE(WaitFor([&] { return Integer(Get(*movie, "currentstate")) == 2; }));
  EXPECT_EQ(log.Notices,
            (std::vector<std::string>{"no picture in " + Audio + ", playing sound only"}));
}

TEST_F(MpvControls, MembersAreFoundWhateverTheirCase) {
  auto movie = CreateAMovieControl(nullptr);
  int32_t id = 0;
  EXPECT_EQ(movie->GetIDOfName("CURRENTSTATE", id), S_Ok);
  EXPECT_EQ(movie->GetIDOfName("Volume", id), DispE_UnknownName);
  auto mci = CreateMciControl(nullptr);
  EXPECT_EQ(mci->GetIDOfName("Mode", id), S_Ok);
  EXPECT_EQ(mci->GetIDOfName("Run", id), DispE_UnknownName);
  TVariant text = TVariant::String("fast");
  EXPECT_EQ(Call(*mci, "TimeFormat", DispatchPropertyPut, &text, nullptr), DispE_TypeMismatch);
}

TEST_F(MpvControls, MpvWakeUpsAreServedByTheLoop) {
  auto loopOwner = CreatePlatformLoop();
  ILoop &loop = *loopOwner;
  auto control = CreateAMovieControl(&loop);
  Put(*control, "FileName", TVariant::String(Video));
  bool drained = false;
  loop.SetTimer(3000, [&] { loop.PostQuitMessage(1); });
  TMessage message;
  while (!drained && loop.GetMessage(message) > 0) {
    // Nothing but the engine's wake-ups and the bound's tick (WM_TIMER) comes.
    drained = message.Message != 0x0113;
    loop.DispatchMessage(message);
  }
  EXPECT_TRUE(drained) << "no wake-up reached the loop";
}

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class MpvAdapters : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Dir = MakeMpvTestFolder("/tmp/cuestrip-adapters-XXXXXX", Video);
    ASSERT_FALSE(Dir.empty());
  }
  static void TearDownTestSuite() {
    UnregisterAutomationClass("MCI.MMControl");
    UnregisterAutomationClass("AMovie.ActiveMovie Control");
    fs::remove_all(Dir);
  }
  void SetUp() override { RegisterStandInControls(Loop, Log, PlayerSubs); }

  template <class F> static bool WaitFor(F done, int ms = 5000) {
    auto end = std::chrono::steady_clock::now() + milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(milliseconds(20));
    return done();
  }

  std::unique_ptr<ILoop> LoopOwner = CreatePlatformLoop();

  ILoop &Loop = *LoopOwner;
  TFakePlayerLog Log;
  static inline bool PlayerSubs = false;
  static inline fs::path Dir;
  static inline std::string Video;
};

} // namespace

TEST_F(MpvAdapters, BothPlayersPlayAndSeekInFrames) {
  std::string deviceType; // outlives the player that refers to it
  for (int mci = 0; mci < 2; ++mci) {
    SCOPED_TRACE(mci ? "MCI" : "AMovie");
    TVideoPlayerRef player(mci ? static_cast<IVideoPlayer *>(new TMPlayer(25, deviceType))
                               : static_cast<IVideoPlayer *>(new TAMovie(25)));
    ASSERT_TRUE(player->IsAvailable());
    player->SetFileName(Video);
    player->Start();
    ASSERT_TRUE(WaitFor([&] { return player->GetState() == vsPlaying; }));
    player->Pause();
    EXPECT_EQ(player->GetState(), vsPaused);
    player->Seek(sdForward, 250);
    double at = player->GetPosition();
    player->Seek(sdBackward, 1500);
    EXPECT_TRUE(WaitFor([&] { return player->GetPosition() < 1; }));
    EXPECT_GE(at, 250);
    EXPECT_LT(at, 300);
    player->Stop();
    EXPECT_EQ(player->GetState(), vsStopped);
  }
}

// A load that failed fails the state too, so the driver can end the run.
TEST_F(MpvAdapters, AMissingFileFailsTheStateAndTheCallsWithMpvsReason) {
  std::string deviceType; // outlives the player that refers to it
  TVideoPlayerRef player(new TAMovie(25));
  player->SetFileName((Dir / "gone.mp4").string());
  player->Start();
  ASSERT_TRUE(WaitFor([&] {
    try {
      return player->GetState() != vsNotReady;
    } catch (const EOleException &error) {
      return error.Message.find("Cannot play") != std::string::npos;
    }
  }));
  try {
    player->Play();
    FAIL() << "Play succeeded without a file";
  } catch (const EOleException &error) {
    EXPECT_NE(error.Message.find("Cannot play"), std::string::npos) << error.Message;
  }

  TVideoPlayerRef mci(new TMPlayer(25, deviceType));
  mci->SetFileName((Dir / "gone.mp4").string());
  EXPECT_THROW(mci->Start(), EOleException);
  EXPECT_THROW(mci->GetState(), EOleException);
}
