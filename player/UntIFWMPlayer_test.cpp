// TWMPlayer against recording controls (the control and its settings and
// controls objects): the exact calls, seconds to frames, the state table
// before and after the first play, frame rate 0.
#include "player/UntIFWMPlayer.h"

#include <gtest/gtest.h>

#include "fake/RecordingControl.h"
#include "player/PlayerTestSupport.h"

namespace {

using Calls = std::vector<std::string>;

class TWMPlayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    Control.SetProperty("settings", TVariant::Object(Settings.NewReference()));
    Control.SetProperty("controls", TVariant::Object(Controls.NewReference()));
    Controls.SetProperty("currentPosition", TVariant::Double(3.5));
  }

  TRecordingControl Settings, Controls, Control; // the objects outlive the control
  TRegisteredControl Registration{"WMPlayer.OCX", &Control};
  TVideoPlayerRef Player{new TWMPlayer(25.0)};
};

} // namespace

TEST_F(TWMPlayerTest, AutoStartIsOffBeforeTheUrlAndStartPlays) {
  Player->SetFileName("C:\\films\\film.wmv");
  Player->Start();
  EXPECT_EQ(Settings.CallTexts(), (Calls{"put autoStart BOOL 0"}));
  EXPECT_EQ(Control.CallTexts(), (Calls{"get settings", "put uiMode BSTR \"full\"",
                                        "put URL BSTR \"C:\\films\\film.wmv\"", "get controls"}));
  EXPECT_EQ(Controls.CallTexts(), (Calls{"call play"}));
  // autoStart is written even when the URL then fails.
  Settings.ClearLog();
  Control.FailOn("URL", E_Fail);
  EXPECT_NE(RaisedBy([&] { Player->SetFileName("x"); }), "none");
  EXPECT_EQ(Settings.CallTexts(), (Calls{"put autoStart BOOL 0"}));
}

TEST_F(TWMPlayerTest, PositionsInSecondsAsWholeFrames) {
  EXPECT_EQ(Player->GetPosition(), 87.0); // 87.5 truncated
  Player->SetPosition(87);
  Player->Seek(sdBackward, 250); // past the start: to 0
  EXPECT_EQ(Controls.CallTexts(), (Calls{"get currentPosition", "put currentPosition R8 3.48",
                                         "get currentPosition", "put currentPosition R8 0"}));
  TVideoPlayerRef stillFrames(new TWMPlayer(0));
  Controls.ClearLog();
  EXPECT_EQ(stillFrames->GetPosition(), 0);
  stillFrames->SetPosition(100); // names no time: nothing is written
  EXPECT_EQ(Controls.CallTexts(), (Calls{"get currentPosition"}));
}

// As with the ActiveMovie player: a frame's start is that frame, not the one
// before it, although seconds times the rate land a hair below it.
TEST_F(TWMPlayerTest, AFrameStartReadsAsThatFrameAtNtscRate) {
  TVideoPlayerRef ntsc{new TWMPlayer(30000.0 / 1001)};
  for (int frame = 1; frame < 2000; ++frame) {
    Controls.SetProperty("currentPosition", TVariant::Double(frame * 1001 / 30000.0));
    ASSERT_EQ(ntsc->GetPosition(), frame);
  }
}

TEST_F(TWMPlayerTest, PlayStateBeforeAndAfterTheFirstPlay) {
  const int32_t states[] = {0, 1, 2, 3, 6, 7, 8, 9, 10, 11, -1};
  const int32_t before[] = {vsNotReady, vsStopped,  vsPaused,   vsPlaying,  vsNotReady, vsNotReady,
                            vsStopped,  vsNotReady, vsNotReady, vsNotReady, vsNotReady};
  const int32_t after[] = {vsNotReady, vsStopped, vsPaused, vsPlaying,  vsPaused,  vsPaused,
                           vsStopped,  vsPaused,  vsPaused, vsNotReady, vsNotReady};
  for (size_t i = 0; i < std::size(states); ++i) {
    Control.SetProperty("playState", TVariant::Integer(states[i]));
    EXPECT_EQ(Player->GetState(), before[i]) << states[i];
  }
  Player->Play();
  for (size_t i = 0; i < std::size(states); ++i) {
    Control.SetProperty("playState", TVariant::Integer(states[i]));
    EXPECT_EQ(Player->GetState(), after[i]) << states[i];
  }
}

TEST_F(TWMPlayerTest, KeysCallTheControlsObject) {
  Player->Pause();
  Player->Stop();
  Player->Play();
  EXPECT_EQ(Controls.CallTexts(), (Calls{"call pause", "call stop", "call play"}));
  Player->Close();
  EXPECT_EQ(RaisedBy([&] { Player->Play(); }), NoObject);
}
