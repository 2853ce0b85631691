// The player adapters over real COM against the test server: the calls
// that reach it, by-reference arguments, the device type written back, the
// running clock and a class that cannot be created.
#include "platform/win32/WindowsApi.h"

#include <gtest/gtest.h>

#include "ComTestSupport.h"
#include "player/UntIFAMovie.h"
#include "player/UntIFMPlayer.h"
#include "player/UntIFWMPlayer.h"

namespace {

using Lines = std::vector<std::string>;

class ComAdapterTest : public ::testing::Test {
protected:
  void SetUp() override { ResetServerSettings(); }
  std::string DeviceType;
};

TEST_F(ComAdapterTest, MciPlayerStartsWithTheDeviceTypeWrittenBack) {
  TVideoPlayerRef player(new TMPlayer(25.0, DeviceType));
  ASSERT_TRUE(player->IsAvailable());
  DeviceType = "avivideo";
  player->SetFileName("C:\\films\\film.avi");
  player->Start();
  EXPECT_EQ(DeviceType, "AVIVIDEO");
  EXPECT_EQ(player->GetState(), vsPlaying);
  EXPECT_EQ(player->GetFileName(), "C:\\films\\film.avi");
  EXPECT_EQ(ServerLog(),
            (Lines{"put FileName BSTR byref \"C:\\films\\film.avi\"",
                   "put DeviceType BSTR byref \"avivideo\"", "put Command BSTR \"open\"",
                   "put Command BSTR \"play\"", "get mode", "get FileName"}));
}

TEST_F(ComAdapterTest, MciPlayerPositionsAndCommands) {
  TVideoPlayerRef player(new TMPlayer(25.0, DeviceType));
  player->SetFileName("film.avi");
  player->Start();
  player->Pause();
  EXPECT_EQ(player->GetState(), vsPaused);
  ResetServerSettings();
  player->SetPosition(250);
  EXPECT_EQ(player->GetPosition(), 250.0); // paused: the clock stands still
  player->Seek(sdBackward, 100);
  EXPECT_EQ(player->GetPosition(), 150.0);
  player->Seek(sdBackward, 1000);
  EXPECT_EQ(player->GetPosition(), 0.0);
  player->Stop();
  EXPECT_EQ(player->GetState(), vsStopped);
  Lines log = ServerLog();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(Lines(log.begin(), log.begin() + 4),
            (Lines{"put TimeFormat I4 3", "put Position R8 byref 250", "put TimeFormat I4 3",
                   "get Position"}));
}

TEST_F(ComAdapterTest, MciClockRunsWhilePlaying) {
  TVideoPlayerRef player(new TMPlayer(25.0, DeviceType));
  player->SetFileName("film.avi");
  player->Start();
  Sleep(400);
  double frames = player->GetPosition();
  EXPECT_GE(frames, 8.0);   // 0.4 s at 25 fps is 10 frames
  EXPECT_LE(frames, 100.0); // generous: the machine may be busy
}

TEST_F(ComAdapterTest, ActiveMoviePlayerInSecondsMode) {
  SetServerSetting("CUESTRIP_COM_AUTOSTART", "0");
  TVideoPlayerRef player(new TAMovie(25.0));
  ASSERT_TRUE(player->IsAvailable());
  EXPECT_EQ(player->GetState(), vsNotReady);
  player->SetFileName("film.mpg");
  player->Start();
  EXPECT_EQ(player->GetState(), vsStopped);
  player->SetPosition(87);
  EXPECT_EQ(player->GetPosition(), 87.0);
  player->Play();
  EXPECT_EQ(player->GetState(), vsPlaying);
  player->Pause();
  EXPECT_EQ(player->GetState(), vsPaused);
  player->Stop();
  EXPECT_EQ(player->GetState(), vsStopped);
  EXPECT_EQ(ServerLog(),
            (Lines{"get currentstate", "put FileName BSTR byref \"film.mpg\"",
                   "put FullScreenMode BOOL 0", "get currentstate", "get DisplayMode",
                   "put CurrentPosition R8 3.48", "get CurrentPosition", "get DisplayMode",
                   "put FullScreenMode BOOL 0", "call Run", "get currentstate", "call Pause",
                   "get currentstate", "call Stop", "get currentstate"}));
}

TEST_F(ComAdapterTest, ActiveMoviePlayerInFramesMode) {
  SetServerSetting("CUESTRIP_COM_AUTOSTART", "0");
  SetServerSetting("CUESTRIP_COM_DISPLAYMODE", "1");
  TVideoPlayerRef player(new TAMovie(25.0));
  player->SetFileName("film.mpg");
  player->SetPosition(100);
  player->Seek(sdForward, 250);
  EXPECT_EQ(player->GetPosition(), 350.0);
  Lines log = ServerLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[2], "put CurrentPosition R8 byref 100");
  EXPECT_EQ(log[6], "put CurrentPosition R8 byref 350");
}

TEST_F(ComAdapterTest, ActiveMovieStartsByItselfWhenTheControlDoes) {
  TVideoPlayerRef player(new TAMovie(25.0));
  player->SetFileName("film.mpg");
  player->Start();
  EXPECT_EQ(player->GetState(), vsPlaying);
}

TEST_F(ComAdapterTest, ClassThatCannotBeCreatedMakesTheAdapterUnavailable) {
  SetServerSetting("CUESTRIP_COM_DISABLE", "AMovie");
  TVideoPlayerRef movie(new TAMovie(25.0));
  EXPECT_FALSE(movie->IsAvailable());
  EXPECT_EQ(RaisedBy([&] { movie->Play(); }), NoObject);
  TVideoPlayerRef mci(new TMPlayer(25.0, DeviceType));
  EXPECT_TRUE(mci->IsAvailable());
}

TEST_F(ComAdapterTest, ControlErrorsReachTheCaller) {
  SetServerSetting("CUESTRIP_COM_FAIL", "Command=The device is not ready.  ");
  TVideoPlayerRef player(new TMPlayer(25.0, DeviceType));
  EXPECT_EQ(RaisedBy([&] { player->Play(); }), "EOleException: The device is not ready");
}

TEST_F(ComAdapterTest, AfterCloseNothingReachesTheServer) {
  TVideoPlayerRef player(new TMPlayer(25.0, DeviceType));
  player->Close();
  EXPECT_EQ(RaisedBy([&] { player->GetState(); }), NoObject);
  EXPECT_TRUE(ServerLog().empty());
  EXPECT_TRUE(player->IsAvailable());
}

TEST_F(ComAdapterTest, WindowsMediaPlayerThroughItsSettingsAndControlsObjects) {
  TVideoPlayerRef player(new TWMPlayer(25.0));
  ASSERT_TRUE(player->IsAvailable());
  player->SetFileName("C:\\films\\film.wmv");
  EXPECT_EQ(player->GetState(), vsNotReady); // loaded, not started by itself
  player->Start();
  EXPECT_EQ(player->GetState(), vsPlaying);
  player->Pause();
  EXPECT_EQ(player->GetState(), vsPaused);
  player->SetPosition(250);
  EXPECT_EQ(player->GetPosition(), 250.0);
  player->Stop();
  EXPECT_EQ(player->GetState(), vsStopped);
  EXPECT_EQ(player->GetFileName(), "C:\\films\\film.wmv");
  Lines log = ServerLog();
  ASSERT_GE(log.size(), 8u);
  EXPECT_EQ(Lines(log.begin(), log.begin() + 8),
            (Lines{"get settings", "put settings.autoStart BOOL 0", "put uiMode BSTR \"full\"",
                   "put URL BSTR \"C:\\films\\film.wmv\"", "get playState", "get controls",
                   "call controls.play", "get playState"}));
}
} // namespace
