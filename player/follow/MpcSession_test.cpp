// MPC's web interface: variables.html read or refused, the millisecond
// position anchored where it changes, jumps, seeks and the states, and the
// command paths of the keys.
#include <gtest/gtest.h>

#include "player/UntVideoIF.h"
#include "player/follow/MpcSession.h"

namespace {

const TFollowTime T0{};
TFollowTime At(double seconds) {
  return T0 +
         std::chrono::duration_cast<TFollowTime::duration>(std::chrono::duration<double>(seconds));
}

// A variables.html answer shaped as MPC-HC's template fills it.
std::string Page(int state, long positionMs, const std::string &rate = "1") {
  static const char *names[] = {"N/A", "Stopped", "Paused", "Playing"};
  return "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
         "<title>MPC-HC WebServer - Variables</title>\r\n</head>\r\n<body class=\"page-variables\">"
         "\r\n<h1>MPC-HC Variables</h1>\r\n"
         "<p id=\"file\">clip.mkv</p>\r\n"
         "<p id=\"filepatharg\">C%3a%5cclip.mkv</p>\r\n<p id=\"filepath\">C:\\clip.mkv</p>\r\n"
         "<p id=\"filedirarg\">C%3a%5c</p>\r\n<p id=\"filedir\">C:\\</p>\r\n"
         "<p id=\"state\">" +
         std::to_string(state) + "</p>\r\n<p id=\"statestring\">" + names[state + 1] +
         "</p>\r\n<p id=\"position\">" + std::to_string(positionMs) +
         "</p>\r\n<p id=\"positionstring\">00:00:00</p>\r\n"
         "<p id=\"duration\">120000</p>\r\n<p id=\"durationstring\">00:02:00</p>\r\n"
         "<p id=\"volumelevel\">100</p>\r\n<p id=\"muted\">0</p>\r\n"
         "<p id=\"playbackrate\">" +
         rate +
         "</p>\r\n<p id=\"size\">1 MB</p>\r\n<p id=\"reloadtime\">0</p>\r\n"
         "<p id=\"version\">2.1.0</p>\r\n</body>\r\n</html>\r\n";
}

struct MpcSessionTest : ::testing::Test {
  void Answer(const std::string &body, double seconds) {
    Session.HandleVariables(body, At(seconds), At(seconds));
  }
  TFollowClock Clock;
  TMpcSession Session{Clock};
};

TEST(MpcVariables, ReadsTheTemplateAndRefusesWhatIsNoVariablesPage) {
  TMpcVariables variables;
  ASSERT_TRUE(ReadMpcVariables(Page(1, 61234, "1.5"), variables));
  EXPECT_EQ(variables.State, 1);
  EXPECT_DOUBLE_EQ(variables.Position, 61.234);
  EXPECT_DOUBLE_EQ(variables.Duration, 120);
  EXPECT_DOUBLE_EQ(variables.Rate, 1.5);
  EXPECT_EQ(variables.File, "clip.mkv");
  // An older MPC: no rate, no file name.
  ASSERT_TRUE(ReadMpcVariables("<p id=\"state\">2</p><p id=\"position\"> 500 </p>", variables));
  EXPECT_DOUBLE_EQ(variables.Position, 0.5);
  EXPECT_DOUBLE_EQ(variables.Rate, 1);
  EXPECT_EQ(variables.File, "");
  for (const char *bad :
       {"", "<html>404</html>", "{\"state\":\"playing\",\"time\":3}", "<p id=\"state\">2</p>",
        "<p id=\"position\">10</p>", "<p id=\"state\">3</p><p id=\"position\">10</p>",
        "<p id=\"state\">1.5</p><p id=\"position\">10</p>",
        "<p id=\"state\">2</p><p id=\"position\">-10</p>",
        "<p id=\"state\">2</p><p id=\"position\">10x</p>",
        "<p id=\"state\">2</p><p id=\"position\">1e300</p>",
        "<p id=\"state\">2</p><p id=\"position\">nan</p>",
        "<p id=\"state\">2</p><p id=\"position\">10"})
    EXPECT_FALSE(ReadMpcVariables(bad, variables)) << bad;
}

TEST_F(MpcSessionTest, AnchorsWherePositionChangesAndPredictsBetween) {
  EXPECT_EQ(Session.State(), vsNotReady);
  Answer(Page(2, 10000), 0);
  EXPECT_EQ(Session.State(), vsPlaying);
  Answer(Page(2, 10000), 0.2); // not updated yet: the prediction goes on
  EXPECT_NEAR(Clock.Position(At(0.3)), 10.3, 1e-6);
  Answer(Page(2, 10480), 0.5); // a coarse step that lags a little: held
  EXPECT_NEAR(Clock.Position(At(0.5)), 10.5, 1e-6);
  EXPECT_NEAR(Clock.Position(At(0.6)), 10.58, 1e-6);
  // The middle of the request's round trip is the reading's moment.
  Session.HandleVariables(Page(2, 11000), At(0.8), At(1.0));
  EXPECT_NEAR(Clock.Position(At(1.0)), 11.1, 1e-6);
}

TEST_F(MpcSessionTest, StatesPausesJumpsAndRates) {
  struct TStep {
    int State;
    long PositionMs;
    const char *Rate;
    double At, Then, Expected;
    int32_t Player;
  } steps[] = {
      {2, 10000, "1", 0, 0.5, 10.5, vsPlaying},
      {1, 10500, "1", 0.5, 3, 10.5, vsPaused},    // paused: stands still
      {2, 40000, "1", 3, 3.5, 40.5, vsPlaying},   // a seek in MPC's window
      {2, 41000, "2", 3.6, 4.1, 42.0, vsPlaying}, // double speed
      {0, 0, "1", 5, 6, 0, vsStopped},            // MPC's stop goes to the start
      {-1, 0, "1", 7, 8, 0, vsNotReady},          // the file closed
  };
  for (const TStep &step : steps) {
    Answer(Page(step.State, step.PositionMs, step.Rate), step.At);
    EXPECT_EQ(Session.State(), step.Player) << step.At;
    EXPECT_NEAR(Clock.Position(At(step.Then)), step.Expected, 1e-6) << step.At;
  }
}

TEST_F(MpcSessionTest, ASeekIgnoresPositionsFromBeforeIt) {
  Answer(Page(2, 50000), 0);
  EXPECT_EQ(Session.SeekPaths(20.5, At(0.1)),
            std::vector<std::string>{"/command.html?wm_command=-1&position=00:00:20.500"});
  Clock.Jump(20.5, At(0.1));
  Answer(Page(2, 50100), 0.2); // answered before MPC had moved
  EXPECT_NEAR(Clock.Position(At(0.3)), 20.7, 1e-6);
  Answer(Page(2, 20600), 0.5);
  EXPECT_NEAR(Clock.Position(At(0.5)), 20.9, 1e-6) << "held, never a step back";
  Answer(Page(2, 50600), 2); // after the settling time a far position is a jump
  EXPECT_NEAR(Clock.Position(At(2)), 50.6, 1e-6);
}

TEST_F(MpcSessionTest, KeysAsCommands) {
  Answer(Page(2, 5000), 0);
  EXPECT_EQ(Session.PlayPaths(), std::vector<std::string>{"/command.html?wm_command=887"});
  EXPECT_EQ(Session.PausePaths(), std::vector<std::string>{"/command.html?wm_command=888"});
  EXPECT_EQ(Session.StopPaths(At(1)), std::vector<std::string>{"/command.html?wm_command=890"});
  // Seek targets: hours, the milliseconds in three digits, nothing below 0.
  struct TCase {
    double Seconds;
    const char *Position;
  } cases[] = {{0, "00:00:00.000"},
               {-3, "00:00:00.000"},
               {59.9996, "00:01:00.000"},
               {3725.042, "01:02:05.042"},
               {0.005, "00:00:00.005"}};
  for (const TCase &c : cases)
    EXPECT_EQ(Session.SeekPaths(c.Seconds, At(2)).front(),
              std::string("/command.html?wm_command=-1&position=") + c.Position)
        << c.Seconds;
}

} // namespace
