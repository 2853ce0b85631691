// Following an MPRIS player: which player is chosen, its status as a state,
// and how polls, Seeked signals and seeks of ours move the followed clock.
#include <gtest/gtest.h>

#include "player/UntVideoIF.h"
#include "player/follow/MprisSession.h"

namespace {

const TFollowTime T0{};
TFollowTime At(double seconds) {
  return T0 +
         std::chrono::duration_cast<TFollowTime::duration>(std::chrono::duration<double>(seconds));
}

struct MprisSessionTest : ::testing::Test {
  // Playing at 10 s.
  MprisSessionTest() {
    Session.Status("Playing", At(0));
    Session.PollAnswer(Session.PollSent(), 10'000'000, At(0));
  }
  TFollowClock Clock;
  TMprisSession Session{Clock};
};

} // namespace

TEST(MprisChoice, ByNameThenVideoThenPlayingThenFirst) {
  std::vector<TMprisCandidate> bus = {
      {"org.freedesktop.Notifications", "Playing", ""},
      {"org.mpris.MediaPlayer2.vlc", "Paused", "file:///films/a%20b.mp4"},
      {"org.mpris.MediaPlayer2.mpv", "Playing", "file:///films/c.mp4"},
      {"org.mpris.MediaPlayer2.chromium.instance12", "Paused", "https://example.org/v"},
      {"org.mpris.MediaPlayer2.xvlc", "Playing", ""}};
  struct Case {
    std::string Name, Video;
    int Chosen;
  } cases[] = {{"", "", 2},
               {"", "/films/a b.mp4", 1},
               {"vlc", "", 1},
               {"vlc", "/films/c.mp4", 1},
               {"chromium.instance12", "", 3},
               {"instance12", "", 3},
               {"chromium", "", 3},
               {"MediaPlayer2", "", -1},
               {"firefox", "", -1},
               {"", "/films/none.mp4", 2}};
  for (const Case &c : cases)
    EXPECT_EQ(ChooseMprisPlayer(bus, c.Name, c.Video), c.Chosen) << c.Name << " " << c.Video;
  EXPECT_EQ(ChooseMprisPlayer({bus[0]}, "", ""), -1);
  EXPECT_EQ(PathOfFileUrl("file:///a%2Fb%zz%4"), "/a/b%zz%4");
  EXPECT_EQ(PathOfFileUrl("http://x/y"), "");
  EXPECT_EQ(MprisLookedFor("vlc"),
            "No MPRIS player found on the session bus (looked for "
            "org.mpris.MediaPlayer2.*.vlc and org.mpris.MediaPlayer2.vlc.*)");
}

TEST(MprisState, FromPlaybackStatus) {
  TFollowClock clock;
  TMprisSession session(clock);
  session.Status("Playing", At(0));
  EXPECT_EQ(session.State(), vsNotReady); // no position yet
  session.PollAnswer(session.PollSent(), 0, At(0));
  std::pair<const char *, int32_t> cases[] = {{"Playing", vsPlaying},
                                              {"Paused", vsPaused},
                                              {"Stopped", vsStopped},
                                              {"Buffering", vsNotReady}};
  for (auto [status, state] : cases) {
    session.Status(status, At(0));
    EXPECT_EQ(session.State(), state) << status;
  }
}

TEST_F(MprisSessionTest, AnUnchangedPollIsStaleAChangedOneIsFresh) {
  Session.PollAnswer(Session.PollSent(), 10'000'000, At(0.2)); // cached by the player
  EXPECT_DOUBLE_EQ(Clock.Position(At(0.25)), 10.25);
  // It stepped between the polls at 0.2 and 0.27: halfway, at 0.235.
  Session.PollAnswer(Session.PollSent(), 10'260'000, At(0.27));
  EXPECT_DOUBLE_EQ(Clock.Position(At(0.3)), 10.325);
}

TEST_F(MprisSessionTest, StatusChangesReanchor) {
  Session.Status("Paused", At(1));
  EXPECT_DOUBLE_EQ(Clock.Position(At(2)), 11);
  Session.Status("Playing", At(3));
  // The first poll after a change anchors even with the value from before.
  Session.PollAnswer(Session.PollSent(), 11'000'000, At(3.1));
  EXPECT_DOUBLE_EQ(Clock.Position(At(3.2)), 11.1);
}

TEST_F(MprisSessionTest, OwnSeekIgnoresPollsUntilSeekedOrSettled) {
  uint64_t before = Session.PollSent();
  Session.OwnSeek(At(1));
  Clock.Jump(2, At(1));
  Session.PollAnswer(before, 11'000'000, At(1.01));            // sent before the seek
  Session.PollAnswer(Session.PollSent(), 11'000'000, At(1.1)); // the player has not moved yet
  EXPECT_DOUBLE_EQ(Clock.Position(At(1.2)), 2.2);
  Session.Seeked(2'000'000, At(1.3));
  EXPECT_DOUBLE_EQ(Clock.Position(At(1.4)), 2.1);
  Session.PollAnswer(Session.PollSent(), 2'150'000, At(1.45));
  EXPECT_DOUBLE_EQ(Clock.Position(At(1.5)), 2.2);
  // Without a Seeked signal, polls count again once the seek has settled.
  Session.OwnSeek(At(2));
  Session.PollAnswer(Session.PollSent(), 40'000'000, At(2 + TMprisSession::SeekSettleSeconds));
  EXPECT_DOUBLE_EQ(Clock.Position(At(2 + TMprisSession::SeekSettleSeconds)), 40);
}

TEST_F(MprisSessionTest, FloodsAndNonsenseStayBounded) {
  for (int i = 0; i < 10000; ++i)
    Session.Seeked(i % 2 ? -5 : INT64_MAX, At(1));
  EXPECT_DOUBLE_EQ(Clock.Position(At(1)), 0);
  Session.Rate(0, At(1));
  Session.PollAnswer(Session.PollSent(), 7'000'000, At(1));
  EXPECT_DOUBLE_EQ(Clock.Position(At(5)), 7);
}
