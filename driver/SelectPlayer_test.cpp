// Player selection over recording controls: which controls are created and
// in what order, the lines written, the fatal error, and the start calls.
// Following a running player: the code picks the follower with its target,
// the script's frame rate or else the player's, the fatal error when nothing
// is there to follow, and the end when the followed player goes.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "driver/TestDriver.h"
#include "fake/RecordingControl.h"
#include "player/UntIFMPlayer.h"
#include "player/follow/Followers.h"

namespace {

using Lines = std::vector<std::string>;

const char *AMovieId = "AMovie.ActiveMovie Control";
const char *MciId = "MCI.MMControl";
const char *WmpId = "WMPlayer.OCX";

const char *Video = "C:\\films\\film.avi";

class SelectPlayerTest : public ::testing::Test {
protected:
  SelectPlayerTest() {
    Wmp.SetProperty("settings", TVariant::Object(WmpSettings.NewReference()));
    Wmp.SetProperty("controls", TVariant::Object(WmpControls.NewReference()));
    T.Files.Add("s.txt", ScriptText({"{HEAD", "FPS=25", "}", "{T;10", "one", "}"}));
    T.Files.Add(Video, "");
  }
  ~SelectPlayerTest() override { T.Driver.Finalize(); }

  // Registers each control as available or missing, then starts the program
  // with the options in `args`, which selects the player.
  int Select(bool aMovie, bool mci, bool wmp = false, std::vector<std::string> args = {}) {
    AMovieRegistration.emplace(AMovieId, aMovie ? &AMovie : nullptr, &Creations);
    MciRegistration.emplace(MciId, mci ? &Mci : nullptr, &Creations);
    WmpRegistration.emplace(WmpId, wmp ? &Wmp : nullptr, &Creations);
    args.push_back("s.txt");
    args.push_back(Video);
    T.Output.Lines.clear();
    return T.ExitCodeOf([&] { T.Start(args); });
  }
  // The lines written by two ticks of the program's timer: the first sees
  // playback begin, the second reads the position.
  Lines ShownByTheTicks() {
    T.Output.Lines.clear();
    T.Loop.Tick();
    T.Loop.Tick();
    return T.Output.Lines;
  }
  // The lines the selection wrote: those after the console's diagnostics.
  Lines Written() const {
    const Lines &all = T.Output.Lines;
    auto from = all.begin();
    for (auto it = all.begin(); it != all.end(); ++it)
      if (it->rfind("Code page is ", 0) == 0) from = it + 1;
    return Lines(from, all.end());
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
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(AMovie.CallTexts(), (Lines{"put FileName BSTR byref \"C:\\films\\film.avi\"",
                                       "put FullScreenMode BOOL 0"}));
  EXPECT_EQ(AMovie.Released, 0);
  // The driver's reference is the only one: the control goes with it.
  T.Driver.Finalize();
  EXPECT_EQ(AMovie.Released, 1);
}

TEST_F(SelectPlayerTest, NoCodeAndOnlyMciAvailable) {
  EXPECT_EQ(Select(false, true), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId, MciId}));
  EXPECT_EQ(Written(), (Lines{"AMovie interface not available"}));
  EXPECT_EQ(Mci.CallTexts(), (Lines{"put FileName BSTR byref \"C:\\films\\film.avi\"",
                                    "put Command BSTR \"open\"", "put Command BSTR \"play\""}));
}

TEST_F(SelectPlayerTest, DiagnosticsOnlyWithDebug) {
  EXPECT_EQ(Select(false, true, false, {"-nd"}), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId, MciId}));
  EXPECT_TRUE(Written().empty());
}

TEST_F(SelectPlayerTest, MciCodesNeverCreateTheActiveMovieControl) {
  for (const char *code : {"MCI", "MPLayer"}) {
    Creations.clear();
    Mci.ClearLog();
    EXPECT_EQ(Select(true, true, false, {"-p", code}), -1);
    EXPECT_EQ(Creations, (Lines{MciId})) << code;
    EXPECT_EQ(Mci.CallTexts().size(), 3u) << code;
  }
  EXPECT_TRUE(AMovie.Calls.empty());
  EXPECT_TRUE(Written().empty());
}

TEST_F(SelectPlayerTest, ActiveMovieCode) {
  EXPECT_EQ(Select(true, true, false, {"-p", "AMovie"}), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId}));
}

TEST_F(SelectPlayerTest, UnknownCodesWarnWhateverDebugSays) {
  for (const char *code : {"MPlayer", "amovie", "x"}) {
    Creations.clear();
    EXPECT_EQ(Select(true, true, false, {"-nd", "-p", code}), -1);
    EXPECT_EQ(Written(), (Lines{std::string("Unknown video player code: ") + code}));
    EXPECT_EQ(Creations, (Lines{AMovieId})) << code;
  }
}

// A player's program name is no control, but a hint says how to follow it.
TEST_F(SelectPlayerTest, APlayersProgramNameGetsTheFollowHint) {
  for (const char *code : {"vlc", "mpv", "Celluloid"}) {
    EXPECT_EQ(Select(true, true, false, {"-p", code}), -1);
    EXPECT_EQ(Written(),
              (Lines{std::string("Unknown video player code: ") + code,
                     std::string("(to follow a running player: -p mpris:") + code + ")"}));
  }
}

TEST_F(SelectPlayerTest, MissingActiveMovieByCodeIsTriedTwice) {
  EXPECT_EQ(Select(false, true, false, {"-p", "AMovie"}), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId, AMovieId, MciId}));
  EXPECT_EQ(Written(), (Lines{"AMovie interface not available", "AMovie interface not available"}));
  EXPECT_EQ(Mci.CallTexts().size(), 3u);
}

TEST_F(SelectPlayerTest, MissingMciByCodeFallsBackToActiveMovie) {
  EXPECT_EQ(Select(true, false, false, {"-p", "MCI"}), -1);
  EXPECT_EQ(Creations, (Lines{MciId, AMovieId}));
  EXPECT_EQ(Written(), (Lines{"MPlayer interface not available"}));
  EXPECT_EQ(AMovie.CallTexts().size(), 2u);
}

TEST_F(SelectPlayerTest, MissingMciByCodeAndNoActiveMovieTriesMciAgain) {
  EXPECT_EQ(Select(false, false, false, {"-p", "MPLayer"}), 1);
  EXPECT_EQ(Creations, (Lines{MciId, AMovieId, MciId, WmpId}));
  const Lines written = Written();
  ASSERT_GE(written.size(), 5u);
  EXPECT_EQ(Lines(written.begin(), written.begin() + 5),
            (Lines{"MPlayer interface not available", "AMovie interface not available",
                   "MPlayer interface not available", "WMP interface not available",
                   "Fatal error: No supported video player available."}));
}

TEST_F(SelectPlayerTest, OnlyWindowsMediaPlayerAvailable) {
  EXPECT_EQ(Select(false, false, true), -1);
  EXPECT_EQ(Creations, (Lines{AMovieId, MciId, WmpId}));
  EXPECT_EQ(Written(),
            (Lines{"AMovie interface not available", "MPlayer interface not available"}));
  EXPECT_EQ(WmpControls.CallTexts(), (Lines{"call play"}));
}

TEST_F(SelectPlayerTest, WindowsMediaPlayerCodeTriesItFirst) {
  EXPECT_EQ(Select(true, true, true, {"-p", "WMP"}), -1);
  EXPECT_EQ(Creations, (Lines{WmpId}));
}

TEST_F(SelectPlayerTest, NoneAvailableIsFatal) {
  EXPECT_EQ(Select(false, false), 1);
  EXPECT_EQ(Creations, (Lines{AMovieId, MciId, WmpId}));
  const Lines written = Written();
  ASSERT_GE(written.size(), 5u);
  EXPECT_EQ(
      Lines(written.begin(), written.begin() + 5),
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
  T.Files.Add("s.txt", ScriptText({"{HEAD", "FPS=30", "}", "{T;60", "two seconds", "}", "{T;61",
                                   "later", "}"}));
  ASSERT_EQ(Select(true, true, false, {"-nd"}), -1);
  AMovie.SetProperty("currentstate", TVariant::Integer(2)); // running
  AMovie.SetProperty("DisplayMode", TVariant::Integer(0));
  AMovie.SetProperty("CurrentPosition", TVariant::Double(2.0));
  EXPECT_EQ(ShownByTheTicks(), Lines{"two seconds "});
}

TEST_F(SelectPlayerTest, ScriptInMillisecondsHasTheMciControlCountMilliseconds) {
  T.Files.Add("s.txt", "1\r\n00:00:01,001 --> 00:00:02,000\r\nHi\r\n\r\n"
                       "2\r\n00:00:01,002 --> 00:00:02,000\r\nlater\r\n");
  ASSERT_EQ(Select(false, true, false, {"-nd"}), -1);
  Mci.SetProperty("mode", TVariant::Integer(526)); // playing
  Mci.SetProperty("Position", TVariant::Double(1001.0));
  EXPECT_EQ(ShownByTheTicks(), Lines{"Hi "});
  EXPECT_EQ(Mci.CallTexts().back(), "get Position");
  EXPECT_EQ(Mci.CallTexts()[Mci.CallTexts().size() - 2], "put TimeFormat I4 0");
}

TEST_F(SelectPlayerTest, PreviousPlayerIsReleased) {
  ASSERT_EQ(Select(true, true), -1);
  EXPECT_EQ(AMovie.Released, 0);
  ASSERT_EQ(Select(true, true, false, {"-p", "MCI"}), -1);
  EXPECT_EQ(AMovie.Released, 1);
  EXPECT_EQ(Mci.Created, 1);
}

} // namespace

namespace {

class TFakeFollower : public TFollowPlayer {
public:
  TFakeFollower(const TFollowRequest &request, bool available)
      : TFollowPlayer(request.FrameRate > 0 ? request.FrameRate : 30, request.Ended, nullptr) {
    if (available)
      FAvailable = true;
    else
      Fail("Nothing to follow at " + request.Target);
  }
  void Play() override {}
  void Stop() override {}
  void Pause() override {}
  using TFollowPlayer::End;
  // Every seek asked of the followed player, in its seconds.
  std::vector<double> Sought;
  // The followed player stands at `seconds` (a seek it made itself).
  void At(double seconds) { Clock.Jump(seconds, Now()); }

protected:
  int32_t State() override { return vsPlaying; }
  void SeekSeconds(double seconds) override { Sought.push_back(seconds); }
  void Disconnect() override {}
};

struct FollowTest : ::testing::Test {
  FollowTest() {
    T.Files.Add("s.txt", ScriptText({"{HEAD", "FPS=25", "}", "{T;10", "one", "}"}));
    RegisterFollower("fake", [this](const TFollowRequest &request) {
      Requests.push_back(request);
      Follower = new TFakeFollower(request, Available);
      return Follower;
    });
  }
  ~FollowTest() override {
    T.Driver.Finalize();
    UnregisterFollower("fake");
  }
  // Starts the program to follow the player `code` names, with the options
  // in `args` (diagnostics off unless they say otherwise), over s.txt.
  int Select(const std::string &code, std::vector<std::string> args = {"-nd"}) {
    args.insert(args.end(), {"-p", code, "s.txt"});
    return T.ExitCodeOf([&] { T.Start(args); });
  }

  // Follows a fake player over a native script (its lines) or an imported
  // file (its bytes), ready for its first reading.
  void Follow(const std::string &file, std::vector<std::string> args = {"-nd"}) {
    T.Files.Add("s.txt", file);
    ASSERT_EQ(Select("fake", std::move(args)), -1);
    T.Loop.Tick(); // sees it playing
    T.Output.Lines.clear();
  }
  // The lines written when the player is read at `seconds`, without the
  // blanks the layout puts at their ends.
  std::vector<std::string> ReadAt(double seconds) {
    T.Output.Lines.clear();
    Follower->At(seconds);
    T.Loop.Tick();
    for (std::string &line : T.Output.Lines)
      line.erase(line.find_last_not_of(' ') + 1);
    return T.Output.Lines;
  }

  bool Available = true;
  TFakeFollower *Follower = nullptr;
  std::vector<TFollowRequest> Requests;
  TTestDriver T;
};

} // namespace

TEST_F(FollowTest, FollowsWithTheScriptsRateElseThePlayersOwn) {
  struct Case {
    bool Given;
    double RequestRate, ScriptRate;
  } cases[] = {{true, 25, 25}, {false, 0, 30}};
  for (const Case &c : cases) {
    T.Files.Add("s.txt",
                ScriptText({"{HEAD", c.Given ? "FPS=25" : "TITLE=x", "}", "{T;10", "one", "}"}));
    EXPECT_EQ(Select("fake:/run/mpv.sock"), -1);
    EXPECT_EQ(Requests.back().Target, "/run/mpv.sock");
    EXPECT_EQ(Requests.back().FrameRate, c.RequestRate);
    // Ten seconds on are ten seconds of the followed player: the keys count
    // in the rate the script took.
    Follower->At(20);
    T.Driver.HandleKey(TFakeConsole::KeyRecord('.', true));
    ASSERT_EQ(Follower->Sought.size(), 1u);
    EXPECT_NEAR(Follower->Sought[0], 30, 1e-9) << "script rate " << c.ScriptRate;
  }
  EXPECT_TRUE(T.Driver.FollowsPlayer());
  T.Process.Args = {"-p", "fakes", "s.txt"};
  T.Driver.ParseCommandLine();
  EXPECT_FALSE(T.Driver.FollowsPlayer());
}

TEST_F(FollowTest, TheFollowedPlayerGoingEndsTheProgramWithZero) {
  ASSERT_EQ(Select("fake"), -1);
  EXPECT_EQ(Requests.back().Target, "");
  Follower->End("mpv has closed");
  Follower->End("twice");
  EXPECT_EQ(T.Output.Lines, (std::vector<std::string>{"mpv has closed"}));
  EXPECT_TRUE(T.Loop.QuitPosted);
  EXPECT_EQ(T.Loop.QuitCode, 0);
  EXPECT_THROW(Follower->GetPosition(), Exception);
}

TEST_F(FollowTest, NothingToFollowIsAFatalErrorWithoutFallback) {
  Available = false;
  EXPECT_EQ(Select("fake:nowhere"), 1);
  ASSERT_FALSE(T.Output.Lines.empty());
  EXPECT_EQ(T.Output.Lines[0], "Fatal error: Nothing to follow at nowhere");
  EXPECT_FALSE(T.Driver.Player);
}

using TLines = std::vector<std::string>;

// A native script with an entry each second: "L<n>" at frame 25 n.
std::string EverySecond(int last) {
  std::string text = ScriptText({"{HEAD", "FPS=25", "}"});
  for (int n = 1; n <= last; ++n)
    text += ScriptText({"{T;" + std::to_string(25 * n), "L" + std::to_string(n), "}"});
  return text;
}

TEST_F(FollowTest, JoiningAnImportedTableShowsTheCuesStillRunning) {
  Follow("1\n00:00:01,000 --> 00:00:03,000\npassed\n\n"
         "2\n00:00:10,000 --> 00:01:00,000\nlong running\n\n"
         "3\n00:00:50,000 --> 00:00:52,999\njust ended\n\n"
         "4\n00:00:51,000 --> 00:00:53,000\nends as we join\n\n"
         "5\n00:00:52,000 --> 00:00:55,000\nnow a\nnow b\n\n"
         "6\n00:00:56,000 --> 00:00:58,000\nlater\n");
  EXPECT_EQ(ReadAt(53), (TLines{"long running", "now a", "now b"}));
  EXPECT_EQ(ReadAt(57), (TLines{"later"}));
}

TEST_F(FollowTest, JoiningANativeScriptShowsTheLastEntryDue) {
  Follow(EverySecond(40));
  EXPECT_EQ(ReadAt(10.5), (TLines{"L10"}));
}

TEST_F(FollowTest, JoiningBeforeTheFirstEntryShowsNothing) {
  Follow(EverySecond(40));
  EXPECT_EQ(ReadAt(0.5), TLines{});
  EXPECT_EQ(ReadAt(1), (TLines{"L1"}));
}

// Forward by more than 5 s is a jump that skips what passed; less writes
// every entry on the way, as always; back seeks the cursor back as always.
TEST_F(FollowTest, JumpsForwardBeyondFiveSecondsSkipWhatPassed) {
  Follow(EverySecond(40));
  EXPECT_EQ(ReadAt(2), (TLines{"L2"}));
  EXPECT_EQ(ReadAt(6.9), (TLines{"L3", "L4", "L5", "L6"}));
  EXPECT_EQ(ReadAt(20), (TLines{"L20"}));
  EXPECT_EQ(ReadAt(10), (TLines{"L10"}));
  EXPECT_EQ(ReadAt(12), (TLines{"L11", "L12"}));
}

TEST_F(FollowTest, TheJoinAndTheJumpSayWhereWithDebugOn) {
  // The line gives the video's time, not the script's.
  Follow(EverySecond(40), {"--delay", "2"});
  EXPECT_EQ(ReadAt(53), (TLines{"Joined at 0:53", "L40"}));
  EXPECT_EQ(ReadAt(3730.5), (TLines{"Jumped to 1:02:10"}));
  EXPECT_EQ(ReadAt(3731), TLines{});
}

TEST(VideoTimeLabel, MinutesUnderAnHourHoursFromOne) {
  const std::pair<double, const char *> cases[] = {
      {0, "0:00"},       {53, "0:53"},      {59.99, "0:59"},     {60, "1:00"}, {3599.9, "59:59"},
      {3600, "1:00:00"}, {3730, "1:02:10"}, {36000, "10:00:00"}, {-1, "0:00"}, {NAN, "0:00"}};
  for (const auto &[seconds, label] : cases)
    EXPECT_EQ(TDriver::VideoTimeLabel(seconds), label) << seconds;
}

// The players the program plays itself keep writing every entry passed.
TEST(ControlPlayerTest, AControlPlayerStillWritesEveryEntryItPasses) {
  TTestPlayer player;
  TTestDriver t;
  t.Files.Add("s.txt", EverySecond(40));
  t.Files.Add("v.avi", "");
  t.StartPlaying({"-nd", "s.txt", "v.avi"}, player);
  const auto readAt = [&](double seconds) {
    t.Output.Lines.clear();
    player.Position = 25 * seconds;
    t.Loop.Tick();
    for (std::string &line : t.Output.Lines)
      line.erase(line.find_last_not_of(' ') + 1);
    return t.Output.Lines;
  };
  EXPECT_EQ(readAt(3), (TLines{"L1", "L2", "L3"}));
  EXPECT_EQ(readAt(10), (TLines{"L4", "L5", "L6", "L7", "L8", "L9", "L10"}));
  t.Driver.Finalize();
}
