// Player selection over recording controls: which controls are created and
// in what order, the lines written, the fatal error, and the start calls.
#include <gtest/gtest.h>

#include <optional>

#include "driver/TestDriver.h"
#include "fake/RecordingControl.h"
#include "player/UntIFMPlayer.h"

namespace {

using Lines = std::vector<std::string>;

const char *AMovieId = "AMovie.ActiveMovie Control";
const char *MciId = "MCI.MMControl";
const char *WmpId = "WMPlayer.OCX";

class SelectPlayerTest : public ::testing::Test {
protected:
  SelectPlayerTest() {
    T.Driver.Script = std::make_unique<TCaptel>([](const std::string &) {}, T.CodePages, T.Files);
    T.Driver.Script->FrameRate = 25.0;
    T.Driver.VideoPath = "C:\\films\\film.avi";
    Wmp.SetProperty("settings", TVariant::Object(WmpSettings.NewReference()));
    Wmp.SetProperty("controls", TVariant::Object(WmpControls.NewReference()));
  }
  ~SelectPlayerTest() override { T.Driver.Player.Clear(); }

  // Registers each control as available or missing, then selects.
  int Select(bool aMovie, bool mci, bool wmp = false) {
    AMovieRegistration.emplace(AMovieId, aMovie ? &AMovie : nullptr, &Creations);
    MciRegistration.emplace(MciId, mci ? &Mci : nullptr, &Creations);
    WmpRegistration.emplace(WmpId, wmp ? &Wmp : nullptr, &Creations);
    return T.ExitCodeOf([&] { T.Driver.SelectPlayer(); });
  }

  TRecordingControl AMovie;
  TRecordingControl Mci;
  TRecordingControl WmpSettings, WmpControls, Wmp; // the objects outlive the control
  Lines Creations;
  std::optional<TRegisteredControl> AMovieRegistration;
  std::optional<TRegisteredControl> MciRegistration;
  std::optional<TRegisteredControl> WmpRegistration;
  TTestDriver T;
};

TEST_F(SelectPlayerTest, NoCodeAndActiveMovieAvailable) {
  EXPECT_EQ(Select(true, true), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId}));
  EXPECT_TRUE(T.Output.Lines.empty());
  EXPECT_EQ(AMovie.CallTexts(), (Lines{"put FileName BSTR byref \"C:\\films\\film.avi\"",
                                       "put FullScreenMode BOOL 0"}));
  EXPECT_EQ(AMovie.Released, 0);
  // The driver's reference is the only one.
  EXPECT_EQ(T.Driver.Player->AddRef(), 2);
  EXPECT_EQ(T.Driver.Player->Release(), 1);
}

TEST_F(SelectPlayerTest, NoCodeAndOnlyMciAvailable) {
  EXPECT_EQ(Select(false, true), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId, MciId}));
  EXPECT_EQ(T.Output.Lines, (Lines{"AMovie interface not available"}));
  EXPECT_EQ(Mci.CallTexts(), (Lines{"put FileName BSTR byref \"C:\\films\\film.avi\"",
                                    "put Command BSTR \"open\"", "put Command BSTR \"play\""}));
}

TEST_F(SelectPlayerTest, DiagnosticsOnlyWithDebug) {
  T.Driver.Settings.Debug = false;
  EXPECT_EQ(Select(false, true), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId, MciId}));
  EXPECT_TRUE(T.Output.Lines.empty());
}

TEST_F(SelectPlayerTest, MciCodesNeverCreateTheActiveMovieControl) {
  for (const char *code : {"MCI", "MPLayer"}) {
    Creations.clear();
    Mci.ClearLog();
    T.Driver.PlayerCode = code;
    EXPECT_EQ(Select(true, true), -1);
    EXPECT_EQ(Creations, (Lines{MciId})) << code;
    EXPECT_EQ(Mci.CallTexts().size(), 3u) << code;
  }
  EXPECT_TRUE(AMovie.Calls.empty());
  EXPECT_TRUE(T.Output.Lines.empty());
}

TEST_F(SelectPlayerTest, ActiveMovieCode) {
  T.Driver.PlayerCode = "AMovie";
  EXPECT_EQ(Select(true, true), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId}));
}

TEST_F(SelectPlayerTest, UnknownCodesWarnWhateverDebugSays) {
  T.Driver.Settings.Debug = false;
  for (const char *code : {"MPlayer", "amovie", "MCI ", "x"}) {
    Creations.clear();
    T.Output.Lines.clear();
    T.Driver.PlayerCode = code;
    EXPECT_EQ(Select(true, true), -1);
    EXPECT_EQ(T.Output.Lines, (Lines{std::string("Unknown video player code: ") + code}));
    EXPECT_EQ(Creations, (Lines{AMovieId})) << code;
  }
}

// A player's program name is no control, but a hint says how to follow it.
TEST_F(SelectPlayerTest, APlayersProgramNameGetsTheFollowHint) {
  for (const char *code : {"vlc", "mpv", "Celluloid"}) {
    T.Output.Lines.clear();
    T.Driver.PlayerCode = code;
    EXPECT_EQ(Select(true, true), -1);
    EXPECT_EQ(T.Output.Lines,
              (Lines{std::string("Unknown video player code: ") + code,
                     std::string("(to follow a running player: -p mpris:") + code + ")"}));
  }
}

TEST_F(SelectPlayerTest, MissingActiveMovieByCodeIsTriedTwice) {
  T.Driver.PlayerCode = "AMovie";
  EXPECT_EQ(Select(false, true), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId, AMovieId, MciId}));
  EXPECT_EQ(T.Output.Lines,
            (Lines{"AMovie interface not available", "AMovie interface not available"}));
  EXPECT_EQ(Mci.CallTexts().size(), 3u);
}

TEST_F(SelectPlayerTest, MissingMciByCodeFallsBackToActiveMovie) {
  T.Driver.PlayerCode = "MCI";
  EXPECT_EQ(Select(true, false), -1);
  EXPECT_EQ(Creations, (Lines{MciId, AMovieId}));
  EXPECT_EQ(T.Output.Lines, (Lines{"MPlayer interface not available"}));
  EXPECT_EQ(AMovie.CallTexts().size(), 2u);
}

TEST_F(SelectPlayerTest, MissingMciByCodeAndNoActiveMovieTriesMciAgain) {
  T.Driver.PlayerCode = "MPLayer";
  EXPECT_EQ(Select(false, false), 1);
  EXPECT_EQ(Creations, (Lines{MciId, AMovieId, MciId, WmpId}));
  ASSERT_GE(T.Output.Lines.size(), 5u);
  EXPECT_EQ(Lines(T.Output.Lines.begin(), T.Output.Lines.begin() + 5),
            (Lines{"MPlayer interface not available", "AMovie interface not available",
                   "MPlayer interface not available", "WMP interface not available",
                   "Fatal error: No supported video player available."}));
}

TEST_F(SelectPlayerTest, OnlyWindowsMediaPlayerAvailable) {
  EXPECT_EQ(Select(false, false, true), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId, MciId, WmpId}));
  EXPECT_EQ(T.Output.Lines,
            (Lines{"AMovie interface not available", "MPlayer interface not available"}));
  EXPECT_EQ(WmpControls.CallTexts(), (Lines{"call play"}));
}

TEST_F(SelectPlayerTest, WindowsMediaPlayerCodeTriesItFirst) {
  T.Driver.PlayerCode = "WMP";
  EXPECT_EQ(Select(true, true, true), -1);
  EXPECT_EQ(Creations, (Lines{WmpId}));
}

TEST_F(SelectPlayerTest, NoneAvailableIsFatal) {
  EXPECT_EQ(Select(false, false), 1);
  EXPECT_EQ(Creations, (Lines{AMovieId, MciId, WmpId}));
  ASSERT_GE(T.Output.Lines.size(), 5u);
  EXPECT_EQ(
      Lines(T.Output.Lines.begin(), T.Output.Lines.begin() + 5),
      (Lines{"AMovie interface not available", "MPlayer interface not available",
             "WMP interface not available", "Fatal error: No supported video player available.",
             "Usage: " + T.Process.Path + " <subtitlefile> [<videofile>]"}));
  EXPECT_FALSE(T.Driver.Player);
  EXPECT_EQ(T.Process.LinesRead, 1);
}

TEST_F(SelectPlayerTest, StartFailuresAreNotCaught) {
  TExcepInfo info;
  info.SCode = E_Fail;
  info.Description = "Cannot render the file.";
  AMovie.FailOn("FileName", DispE_Exception, info);
  try {
    Select(true, true);
    FAIL() << "the failure was swallowed";
  } catch (const EOleException &error) {
    EXPECT_EQ(error.Message, "Cannot render the file");
  }
  EXPECT_EQ(Creations, (Lines{AMovieId})); // no second player is tried
}

TEST_F(SelectPlayerTest, PlayerGetsTheScriptsFrameRate) {
  T.Driver.Script->FrameRate = 30.0;
  ASSERT_EQ(Select(true, true), -1);
  AMovie.SetProperty("DisplayMode", TVariant::Integer(0));
  AMovie.SetProperty("CurrentPosition", TVariant::Double(2.0));
  EXPECT_EQ(T.Driver.Player->GetPosition(), 60.0);
}

TEST_F(SelectPlayerTest, ScriptInMillisecondsHasTheMciControlCountMilliseconds) {
  T.Driver.Script->FrameRate = 1000.0;
  T.Driver.Script->TimesInMilliseconds = true;
  ASSERT_EQ(Select(false, true), -1);
  Mci.SetProperty("Position", TVariant::Double(1001.0));
  EXPECT_EQ(T.Driver.Player->GetPosition(), 1001.0);
  EXPECT_EQ(Mci.CallTexts().back(), "get Position");
  EXPECT_EQ(Mci.CallTexts()[Mci.CallTexts().size() - 2], "put TimeFormat I4 0");
}

TEST_F(SelectPlayerTest, PreviousPlayerIsReleased) {
  ASSERT_EQ(Select(true, true), -1);
  EXPECT_EQ(AMovie.Released, 0);
  T.Driver.PlayerCode = "MCI";
  ASSERT_EQ(T.ExitCodeOf([&] { T.Driver.SelectPlayer(); }), -1);
  EXPECT_EQ(AMovie.Released, 1);
  EXPECT_EQ(Mci.Created, 1);
}

} // namespace
