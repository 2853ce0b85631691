// TAMovie against a recording control: the exact calls of every operation,
// the state table, seconds and frames, frame rate 0, failures part-way and
// life after Close.
#include "player/UntIFAMovie.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fake/RecordingControl.h"
#include "player/PlayerTestSupport.h"

namespace {

using Calls = std::vector<std::string>;

class TAMovieTest : public ::testing::Test {
protected:
  // Seconds mode at 3.5 s unless a test says otherwise.
  void SetUp() override {
    Control.SetProperty("DisplayMode", TVariant::Integer(0));
    Control.SetProperty("CurrentPosition", TVariant::Double(3.5));
  }

  TRecordingControl Control;
  TRegisteredControl Registration{"AMovie.ActiveMovie Control", &Control};
  TVideoPlayerRef Player{new TAMovie(25.0)};
};

TEST_F(TAMovieTest, SecondsAreTruncatedToWholeFrames) {
  EXPECT_EQ(Player->GetPosition(), 87.0); // 87.5, not rounded up
  Control.SetProperty("CurrentPosition", TVariant::Double(3.999));
  EXPECT_EQ(Player->GetPosition(), 99.0);
  EXPECT_EQ(Control.CallTexts(), (Calls{"get CurrentPosition", "get DisplayMode",
                                        "get CurrentPosition", "get DisplayMode"}));
}

// The product of a frame's start and the rate may come out a hair short of
// the frame; it is that frame all the same, not the one before.
TEST(TAMovieFrames, AFrameStartReadsAsThatFrameAtNtscRate) {
  TRecordingControl control;
  TRegisteredControl registration{"AMovie.ActiveMovie Control", &control};
  control.SetProperty("DisplayMode", TVariant::Integer(0));
  TVideoPlayerRef player{new TAMovie(30000.0 / 1001)};
  for (int frame = 1; frame < 2000; ++frame) {
    control.SetProperty("CurrentPosition", TVariant::Double(frame * 1001 / 30000.0));
    ASSERT_EQ(player->GetPosition(), frame);
  }
}

TEST_F(TAMovieTest, FramesModePositionIsPassedUnchanged) {
  Control.SetProperty("DisplayMode", TVariant::Integer(1));
  Control.SetProperty("CurrentPosition", TVariant::Double(87.5));
  EXPECT_EQ(Player->GetPosition(), 87.5);
  Player->SetPosition(87);
  EXPECT_EQ(Control.CallTexts(), (Calls{"get CurrentPosition", "get DisplayMode", "get DisplayMode",
                                        "put CurrentPosition R8 byref 87"}));
}

TEST_F(TAMovieTest, SecondsModeWritesTheExactQuotientByValue) {
  Player->SetPosition(100);
  Player->SetPosition(87);
  EXPECT_EQ(Control.CallTexts(), (Calls{"get DisplayMode", "put CurrentPosition R8 4",
                                        "get DisplayMode", "put CurrentPosition R8 3.48"}));
  EXPECT_EQ(Control.Calls[3].Value.DoubleValue, 87.0 / 25.0);
}

TEST_F(TAMovieTest, DisplayModeIsComparedWithZeroAsAValue) {
  const std::pair<TVariant, bool> seconds[] = {{TVariant::Integer(0), true},
                                               {TVariant::Double(0.0), true},
                                               {TVariant::Currency(0), true},
                                               {TVariant::Boolean(false), true},
                                               {TVariant(), true},
                                               {TVariant::String(" 0 "), true},
                                               {TVariant::Integer(1), false},
                                               {TVariant::Double(0.5), false},
                                               {TVariant::Currency(1), false},
                                               {TVariant::String("2"), false}};
  Control.SetProperty("CurrentPosition", TVariant::Double(2.0));
  for (const auto &[mode, inSeconds] : seconds) {
    Control.SetProperty("DisplayMode", mode);
    EXPECT_EQ(Player->GetPosition(), inSeconds ? 50.0 : 2.0) << DescribeVariant(mode);
  }
}

TEST_F(TAMovieTest, DisplayModeThatCannotBeComparedFails) {
  for (const TVariant &mode : {TVariant::String("frames"), TVariant::Null()}) {
    Control.ClearLog();
    Control.SetProperty("DisplayMode", mode);
    EXPECT_EQ(RaisedBy([&] { Player->GetPosition(); }), "EVariantError: Invalid variant operation");
    EXPECT_EQ(RaisedBy([&] { Player->SetPosition(10); }),
              "EVariantError: Invalid variant operation");
    // Nothing is written when the mode is unknown.
    EXPECT_EQ(Control.CallTexts(),
              (Calls{"get CurrentPosition", "get DisplayMode", "get DisplayMode"}));
  }
}

TEST_F(TAMovieTest, SeekInSecondsMode) {
  Player->Seek(sdForward, 250);
  EXPECT_EQ(Control.CallTexts(), (Calls{"get CurrentPosition", "get DisplayMode", "get DisplayMode",
                                        "put CurrentPosition R8 13.48"}));
  // Each seek starts again from 3.5 s, as the control took the last write.
  Control.SetProperty("CurrentPosition", TVariant::Double(3.5));
  Control.ClearLog();
  Player->Seek(sdBackward, 250);
  EXPECT_EQ(Control.CallTexts().back(), "put CurrentPosition R8 0");
  Control.SetProperty("CurrentPosition", TVariant::Double(3.5));
  Control.ClearLog();
  Player->Seek(sdBackward, 87); // exactly the position: lands on 0
  EXPECT_EQ(Control.CallTexts().back(), "put CurrentPosition R8 0");
  Control.SetProperty("CurrentPosition", TVariant::Double(3.5));
  Control.ClearLog();
  Player->Seek(sdBackward, 37);
  EXPECT_EQ(Control.CallTexts().back(), "put CurrentPosition R8 2");
}

TEST_F(TAMovieTest, SeekInFramesModeAtPosition100) {
  Control.SetProperty("DisplayMode", TVariant::Integer(1));
  const std::pair<double, std::string> back[] = {{250, "put CurrentPosition R8 byref 0"},
                                                 {100, "put CurrentPosition R8 byref 0"},
                                                 {40, "put CurrentPosition R8 byref 60"}};
  for (const auto &[amount, written] : back) {
    Control.SetProperty("CurrentPosition", TVariant::Double(100));
    Control.ClearLog();
    Player->Seek(sdBackward, amount);
    EXPECT_EQ(Control.CallTexts().back(), written) << amount;
    EXPECT_EQ(Control.Calls.size(), 4u);
  }
  Control.SetProperty("CurrentPosition", TVariant::Double(100));
  Control.ClearLog();
  Player->Seek(7, 250);
  EXPECT_EQ(Control.CallTexts().back(), "put CurrentPosition R8 byref 350");
}

TEST_F(TAMovieTest, StateTableIncludingUnlistedStates) {
  const std::pair<int32_t, int32_t> rows[] = {{-1, vsNotReady}, {0, vsStopped},  {1, vsPaused},
                                              {2, vsPlaying},   {3, vsNotReady}, {-2, vsNotReady},
                                              {99, vsNotReady}};
  for (auto [state, expected] : rows) {
    Control.SetProperty("currentstate", TVariant::Integer(state));
    EXPECT_EQ(Player->GetState(), expected) << "currentstate " << state;
  }
  Control.SetProperty("currentstate", TVariant::Double(1.6)); // rounds to running
  EXPECT_EQ(Player->GetState(), vsPlaying);
  EXPECT_EQ(Control.CallTexts().front(), "get currentstate");
}

TEST_F(TAMovieTest, StartOnlyTurnsFullScreenOff) {
  Player->Start();
  EXPECT_EQ(Control.CallTexts(), (Calls{"put FullScreenMode BOOL 0"}));
}

TEST_F(TAMovieTest, PlayStopPause) {
  Player->Play();
  Player->Stop();
  Player->Pause();
  EXPECT_EQ(Control.CallTexts(),
            (Calls{"put FullScreenMode BOOL 0", "call Run", "call Stop", "call Pause"}));
  for (const TRecordedCall &call : Control.Calls)
    EXPECT_FALSE(call.WantsResult) << call.Name;
}

TEST_F(TAMovieTest, FailedFullScreenModeStopsPlay) {
  Control.FailOn("FullScreenMode", E_Fail);
  EXPECT_NE(RaisedBy([&] { Player->Play(); }), "none");
  EXPECT_EQ(Control.CallTexts(), (Calls{"put FullScreenMode BOOL 0"}));
}

TEST_F(TAMovieTest, FailedDisplayModeWritesNoPosition) {
  TExcepInfo info;
  info.SCode = E_Fail;
  info.Description = "Not ready...";
  Control.FailOn("DisplayMode", DispE_Exception, info);
  EXPECT_EQ(RaisedBy([&] { Player->SetPosition(10); }), "EOleException: Not ready");
  EXPECT_EQ(RaisedBy([&] { Player->Seek(sdForward, 10); }), "EOleException: Not ready");
  EXPECT_EQ(Control.CallTexts(),
            (Calls{"get DisplayMode", "get CurrentPosition", "get DisplayMode"}));
}

TEST_F(TAMovieTest, FileNameGoesByReference) {
  Player->SetFileName("film.mpg");
  EXPECT_EQ(Control.CallTexts(), (Calls{"put FileName BSTR byref \"film.mpg\""}));
  EXPECT_EQ(Player->GetFileName(), "film.mpg");
}

TEST_F(TAMovieTest, AfterCloseEveryOperationFailsWithoutReachingTheControl) {
  Player->Close();
  EXPECT_EQ(Control.Released, 1);
  EXPECT_TRUE(Player->IsAvailable());
  for (auto &operation : EveryOperation(Player))
    EXPECT_EQ(RaisedBy(operation), NoObject);
  EXPECT_TRUE(Control.Calls.empty());
}

// A script whose FPS reads as 0: positions in seconds have no frame number.
class TAMovieZeroRateTest : public TAMovieTest {
protected:
  TVideoPlayerRef ZeroRate{new TAMovie(0.0)};
};

TEST_F(TAMovieZeroRateTest, PositionInSecondsIsZero) {
  Control.SetProperty("CurrentPosition", TVariant::Double(12.75));
  EXPECT_EQ(ZeroRate->GetPosition(), 0.0);
}

TEST_F(TAMovieZeroRateTest, NoDivisionByZeroReachesTheControl) {
  ZeroRate->SetPosition(100);
  ZeroRate->SetPosition(0);
  ZeroRate->Seek(sdForward, 0);
  ZeroRate->Seek(sdBackward, 0);
  // The mode is still read; the position stays where it is.
  EXPECT_EQ(Control.CallTexts(), (Calls{"get DisplayMode", "get DisplayMode", "get CurrentPosition",
                                        "get DisplayMode", "get DisplayMode", "get CurrentPosition",
                                        "get DisplayMode", "get DisplayMode"}));
}

TEST_F(TAMovieZeroRateTest, FramesModeStillWrites) {
  Control.SetProperty("DisplayMode", TVariant::Integer(1));
  ZeroRate->SetPosition(100);
  EXPECT_EQ(Control.CallTexts(), (Calls{"get DisplayMode", "put CurrentPosition R8 byref 100"}));
}

TEST(TAMovieLifeTest, ReferenceCountCreationFailureAndRelease) {
  TRecordingControl control;
  {
    TRegisteredControl registration("AMovie.ActiveMovie Control", &control);
    auto *movie = new TAMovie(25.0);
    EXPECT_EQ(movie->RefCount(), 0);
    TVideoPlayerRef reference(movie);
    EXPECT_EQ(movie->RefCount(), 1);
    reference.Clear();
    EXPECT_EQ(control.Created, 1);
    EXPECT_EQ(control.Released, 1);
  }
  TRegisteredControl missing("AMovie.ActiveMovie Control", nullptr);
  TVideoPlayerRef unavailable(new TAMovie(25.0));
  EXPECT_FALSE(unavailable->IsAvailable());
  EXPECT_EQ(RaisedBy([&] { unavailable->GetState(); }), NoObject);
}

TEST(TAMovieLifeTest, HugePositionsStayWithinFrameNumbers) {
  TRecordingControl control;
  TRegisteredControl registration("AMovie.ActiveMovie Control", &control);
  TVideoPlayerRef movie(new TAMovie(25.0));
  control.SetProperty("DisplayMode", TVariant::Integer(0));
  control.SetProperty("CurrentPosition", TVariant::Double(1e12));
  EXPECT_EQ(movie->GetPosition(), 2147483647.0);
  control.SetProperty("CurrentPosition", TVariant::Double(-1e12));
  EXPECT_EQ(movie->GetPosition(), -2147483648.0);
  control.SetProperty("CurrentPosition", TVariant::Double(std::nan("")));
  EXPECT_EQ(movie->GetPosition(), 0.0);
}

} // namespace
