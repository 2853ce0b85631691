// The player adapters over the registered stand-ins: the whole way from the
// driver's interface to mpv, with errors arriving as the control's own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/Errors.h"
#include "fake/FakePlayerLog.h"
#include "platform/Loop.h"
#include "player/StandInControls.h"
#include "player/UntIFAMovie.h"
#include "player/UntIFMPlayer.h"
#include "player/mpv/MpvTestSupport.h"

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
