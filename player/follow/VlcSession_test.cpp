// VLC's web interface: status.json read or refused, whole seconds anchored
// where the second changes, jumps and seeks, the states and the commands,
// and the addresses of the player code.
#include <gtest/gtest.h>

#include <cmath>

#include "player/UntVideoIF.h"
#include "player/follow/HttpTarget.h"
#include "player/follow/VlcSession.h"

namespace {

const TFollowTime T0{};
TFollowTime At(double seconds) {
  return T0 +
         std::chrono::duration_cast<TFollowTime::duration>(std::chrono::duration<double>(seconds));
}

std::string Status(const std::string &state, double time, const std::string &more = "") {
  return "{\"state\":\"" + state + "\",\"time\":" + std::to_string(time) +
         ",\"length\":120,\"rate\":1" + more + "}";
}

struct VlcSessionTest : ::testing::Test {
  // A status answered at once, at `seconds`.
  void Answer(const std::string &body, double seconds) {
    Session.HandleStatus(body, At(seconds), At(seconds));
  }
  TFollowClock Clock;
  TVlcSession Session{Clock};
};

TEST(VlcStatus, ReadsTheFieldsAndRefusesWhatIsNoStatus) {
  TVlcStatus status;
  ASSERT_TRUE(ReadVlcStatus(
      R"({"state":"paused","time":12,"length":30,"position":0.43,"rate":1.5,"information":)"
      R"({"category":{"meta":{"filename":"a"},"Stream 0":{"Type":"Video","Frame_rate":"23.976"}}}})",
      status));
  EXPECT_EQ(status.State, "paused");
  EXPECT_EQ(status.Time, 12);
  EXPECT_EQ(status.Length, 30);
  EXPECT_DOUBLE_EQ(status.Rate, 1.5);
  EXPECT_DOUBLE_EQ(status.FrameRate, 23.976);
  for (const char *bad : {"", "[]", "{\"state\":\"playing\"}", "{\"time\":3}",
                          "{\"state\":1,\"time\":3}", "{\"state\":\"playing\",\"time\":-1}",
                          "{\"state\":\"playing\",\"time\":1e300}", "<html>401</html>"})
    EXPECT_FALSE(ReadVlcStatus(bad, status)) << bad;
}

TEST_F(VlcSessionTest, AnchorsWhereTheSecondChangesAndPredictsBetween) {
  EXPECT_EQ(Session.State(), vsNotReady);
  Answer(Status("playing", 10), 0);
  EXPECT_EQ(Session.State(), vsPlaying);
  Answer(Status("playing", 10), 0.4); // the same second: the prediction goes on
  EXPECT_NEAR(Clock.Position(At(0.5)), 10.5, 1e-6);
  Answer(Status("playing", 11), 0.7); // the second changed just now
  EXPECT_NEAR(Clock.Position(At(0.7)), 11.0, 1e-6);
  EXPECT_NEAR(Clock.Position(At(1.2)), 11.5, 1e-6);
  // The middle of the request's round trip is the reading's moment.
  Session.HandleStatus(Status("playing", 12), At(1.6), At(1.8));
  EXPECT_NEAR(Clock.Position(At(1.8)), 12.1, 1e-6);
}

// VLC refreshes its time and position every quarter second; the time is
// whole seconds, the length rounded down. Each case: the video's real length,
// the refreshes (VLC's exact seconds, seen at a moment), the moment asked and
// the least and most the position may be then.
TEST_F(VlcSessionTest, SecondsFromThePositionNeverAheadOfVlc) {
  struct TCase {
    const char *Name;
    double RealLength;
    std::vector<std::pair<double, double>> Refreshes; // VLC's seconds, seen at
    double Asked, Least, Most;
  } cases[] = {
      {"a length of whole seconds: exact", 120, {{10.4, 0}}, 0.5, 10.9, 10.9},
      {"a rounded length before the second shows it: behind, never ahead",
       120.6,
       {{10.7, 0}},
       0,
       10.0,
       10.7},
      {"a whole second seen as it comes tells the length",
       120.6,
       {{11.0, 0}, {20.5, 0.1}},
       0.1,
       20.5,
       20.5},
      {"a staler refresh does not pull the clock back",
       120,
       {{10.4, 0}, {10.6, 0.4}},
       0.5,
       10.9,
       10.9},
      {"a fresher refresh moves it up", 120, {{10.4, 0}, {10.9, 0.4}}, 0.5, 11.0, 11.0},
      // VLC stalled: the prediction ran past what the refresh allows, and
      // the clock follows VLC again once past the position already shown.
      {"a stalled VLC", 120, {{10.4, 0}, {10.6, 1.2}}, 2.5, 11.9, 11.9},
  };
  for (const TCase &c : cases) {
    TFollowClock clock;
    TVlcSession session(clock);
    for (const auto &[seconds, at] : c.Refreshes) {
      const std::string body =
          "{\"state\":\"playing\",\"time\":" + std::to_string(std::floor(seconds)) +
          ",\"length\":" + std::to_string(std::floor(c.RealLength)) +
          ",\"position\":" + std::to_string(seconds / c.RealLength) + "}";
      session.HandleStatus(body, At(at), At(at));
    }
    const double position = clock.Position(At(c.Asked));
    EXPECT_GE(position, c.Least - 2e-3) << c.Name;
    EXPECT_LE(position, c.Most + 2e-3) << c.Name;
  }
}

TEST_F(VlcSessionTest, PausesJumpsAndRates) {
  Answer(Status("playing", 10), 0);
  Answer(Status("paused", 10), 0.5);
  EXPECT_EQ(Session.State(), vsPaused);
  EXPECT_NEAR(Clock.Position(At(3)), 10.5, 1e-6);
  Answer(Status("playing", 40), 3); // a seek made in VLC's window
  EXPECT_NEAR(Clock.Position(At(3.5)), 40.5, 1e-6);
  Answer(R"({"state":"playing","time":41,"rate":2})", 3.6);
  EXPECT_NEAR(Clock.Position(At(4.1)), 42.0, 1e-6);
  Answer(Status("stopped", 0), 5);
  EXPECT_EQ(Session.State(), vsStopped);
}

TEST_F(VlcSessionTest, ASeekIgnoresTimesFromBeforeIt) {
  Answer(Status("playing", 50), 0);
  const std::vector<std::string> seek = Session.SeekPaths(20.7, At(0.1));
  EXPECT_EQ(seek, std::vector<std::string>{"/requests/status.json?command=seek&val=20"});
  Clock.Jump(20.7, At(0.1));
  Answer(Status("playing", 50), 0.2); // answered before VLC had moved
  EXPECT_NEAR(Clock.Position(At(0.3)), 20.9, 1e-6);
  Answer(Status("playing", 21), 0.5);
  EXPECT_NEAR(Clock.Position(At(0.5)), 21.1, 1e-6) << "held, never a step back";
}

TEST_F(VlcSessionTest, KeysAsCommands) {
  Answer(Status("playing", 5), 0);
  EXPECT_EQ(Session.PausePaths(),
            std::vector<std::string>{"/requests/status.json?command=pl_forcepause"});
  EXPECT_EQ(Session.StopPaths(At(1)),
            (std::vector<std::string>{"/requests/status.json?command=pl_forcepause",
                                      "/requests/status.json?command=seek&val=0"}));
  Answer(Status("paused", 0), 1.1);
  EXPECT_EQ(Session.State(), vsStopped) << "a stop is a pause at the start";
  EXPECT_EQ(Session.PlayPaths(),
            std::vector<std::string>{"/requests/status.json?command=pl_forceresume"});
  Answer(Status("paused", 0), 1.2);
  EXPECT_EQ(Session.State(), vsPaused);
  Answer(Status("stopped", 0), 2); // stopped in VLC: play starts it again
  EXPECT_EQ(Session.PlayPaths(), std::vector<std::string>{"/requests/status.json?command=pl_play"});
}

TEST(HttpTargetCode, DefaultsCredentialsAndBadPorts) {
  struct TCase {
    const char *Text;
    const char *Host;
    uint16_t Port;
    const char *User;
    const char *Password;
  } cases[] = {
      {"", "127.0.0.1", 8080, "", ""},
      {"//", "127.0.0.1", 8080, "", ""},
      {"//:X@127.0.0.1:9090", "127.0.0.1", 9090, "", "X"},
      {"//:p@ss@host", "host", 8080, "", "p@ss"},
      {"//me:pw@:1234/", "127.0.0.1", 1234, "me", "pw"},
      {"//[::1]:81", "::1", 81, "", ""},
      {"tv.local", "tv.local", 8080, "", ""},
  };
  for (const TCase &c : cases) {
    THttpTarget target;
    std::string error;
    ASSERT_TRUE(ReadHttpTarget(c.Text, 8080, target, error)) << c.Text << ": " << error;
    EXPECT_EQ(target.Host, c.Host) << c.Text;
    EXPECT_EQ(target.Port, c.Port) << c.Text;
    EXPECT_EQ(target.User, c.User) << c.Text;
    EXPECT_EQ(target.Password, c.Password) << c.Text;
  }
  for (const char *bad : {"//host:0", "//host:65536", "//host:80x", "//[::1", "//[::1]x"}) {
    THttpTarget target;
    std::string error;
    EXPECT_FALSE(ReadHttpTarget(bad, 8080, target, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

} // namespace
