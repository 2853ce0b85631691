// The mpv IPC conversation: JSON and line framing, the observed properties as
// states and positions, seeks, stop, and lines that are broken or hostile.
#include <gtest/gtest.h>

#include "player/UntVideoIF.h"
#include "player/follow/JsonValue.h"
#include "player/follow/LineFramer.h"
#include "player/follow/MpvIpcSession.h"

namespace {

const TFollowTime T0{};
TFollowTime At(double seconds) {
  return T0 +
         std::chrono::duration_cast<TFollowTime::duration>(std::chrono::duration<double>(seconds));
}

std::string Change(const std::string &name, const std::string &data) {
  return "{\"event\":\"property-change\",\"id\":1,\"name\":\"" + name + "\",\"data\":" + data + "}";
}

struct MpvIpcSessionTest : ::testing::Test {
  // mpv playing at 10 s at 25 fps.
  MpvIpcSessionTest() {
    for (const std::string &line :
         {Change("pause", "false"), Change("container-fps", "25"), Change("time-pos", "10.0")})
      Session.HandleLine(line, At(0));
  }
  TFollowClock Clock;
  TMpvIpcSession Session{Clock};
};

} // namespace

TEST(JsonValue, ReadsValuesAndRefusesWhatIsNoJson) {
  std::optional<TJson> value = ParseJson(R"( {"a":[1,-2.5e1,true,null,"x\"\u00e9"],"b":{}} )");
  ASSERT_TRUE(value);
  const TJson &a = *value->Find("a");
  EXPECT_EQ(a.Items.size(), 5u);
  EXPECT_EQ(a.Items[1].Number, -25);
  EXPECT_EQ(a.Items[4].String, "x\"\xc3\xa9");
  for (const char *bad :
       {"", "{", "{\"a\":}", "[1,]", "{\"a\":1} x", "tru", "\"open", "{1:2}", "1e", "--1"})
    EXPECT_FALSE(ParseJson(bad)) << bad;
  std::string deep(100000, '[');
  EXPECT_FALSE(ParseJson(deep)); // refused, not a stack overflow
  EXPECT_EQ(JsonQuote("a\"b\\\n"), "\"a\\\"b\\\\\\u000a\"");
}

TEST(LineFramer, JoinsHalfLinesAndDropsOverlongOnes) {
  TLineFramer framer;
  std::vector<std::string> lines;
  auto add = [&](std::string_view bytes) {
    framer.Add(bytes, [&](std::string_view line) { lines.emplace_back(line); });
  };
  add("ab");
  add("c\nd");
  add(std::string(TLineFramer::MaxLine + 10, 'x'));
  add("y\ne\n");
  EXPECT_EQ(lines, (std::vector<std::string>{"abc", "e"}));
  EXPECT_EQ(framer.Dropped(), 1);
}

TEST_F(MpvIpcSessionTest, StatesFromTheObservedProperties) {
  struct Case {
    std::string Line;
    int32_t State;
  } cases[] = {
      {Change("pause", "true"), vsPaused},        {Change("pause", "false"), vsPlaying},
      {Change("eof-reached", "true"), vsStopped}, {Change("eof-reached", "false"), vsPlaying},
      {Change("time-pos", "null"), vsNotReady},   {Change("time-pos", "3"), vsPlaying}};
  for (const Case &c : cases) {
    Session.HandleLine(c.Line, At(1));
    EXPECT_EQ(Session.State(), c.State) << c.Line;
  }
  EXPECT_TRUE(Session.Answered());
  EXPECT_EQ(Session.FrameRate(), 25);
}

TEST_F(MpvIpcSessionTest, PredictsBetweenFramesAndHoldsWhileBuffering) {
  EXPECT_DOUBLE_EQ(Clock.Position(At(0.02)), 10.02);
  Session.HandleLine(Change("time-pos", "10.04"), At(0.04));
  Session.HandleLine(Change("speed", "2"), At(0.04));
  EXPECT_DOUBLE_EQ(Clock.Position(At(0.05)), 10.06);
  Session.HandleLine(Change("paused-for-cache", "true"), At(0.05));
  EXPECT_DOUBLE_EQ(Clock.Position(At(3)), 10.06);
}

TEST_F(MpvIpcSessionTest, ASeekTrustsNoFrameUntilMpvHasRestarted) {
  std::string seek = Session.SeekLines(2.5, At(1));
  EXPECT_NE(seek.find("[\"seek\",2.500000,\"absolute+exact\"]"), std::string::npos) << seek;
  Clock.Jump(2.5, At(1));
  Session.HandleLine(Change("time-pos", "11.0"), At(1.01)); // a frame from before the seek
  EXPECT_DOUBLE_EQ(Clock.Position(At(1.2)), 2.5);
  Session.HandleLine(R"({"event":"playback-restart"})", At(1.2));
  EXPECT_NE(Session.TakeOutput().find("\"get_property\",\"time-pos\""), std::string::npos);
  Session.HandleLine(R"({"request_id":99,"error":"success","data":2.48})", At(1.2));
  EXPECT_DOUBLE_EQ(Clock.Position(At(1.3)), 2.58);
}

TEST_F(MpvIpcSessionTest, StopIsAPauseAtTheStartUntilPlayedAgain) {
  std::string stop = Session.StopLines(At(1));
  EXPECT_NE(stop.find("\"set_property\",\"pause\",true"), std::string::npos);
  EXPECT_NE(stop.find("\"seek\",0.000000,\"absolute+exact\""), std::string::npos);
  EXPECT_EQ(Session.State(), vsStopped);
  EXPECT_DOUBLE_EQ(Clock.Position(At(1.5)), 0);
  EXPECT_NE(Session.PlayLines(At(2)).find("\"set_property\",\"pause\",false"), std::string::npos);
  EXPECT_EQ(Session.State(), vsPlaying);
}

TEST_F(MpvIpcSessionTest, BrokenOrHostileLinesChangeNothing) {
  for (const std::string &line :
       {std::string("{\"event\":\"property-change\",\"name\":\"time-pos\",\"da"),
        std::string("not json"), std::string("[1,2]"), Change("pause", "\"yes\""),
        Change("time-pos", "\"late\""), Change("speed", "{}"), std::string(200000, '{'),
        std::string("{\"event\":7}"), std::string("{\"request_id\":99,\"data\":\"x\"}")})
    Session.HandleLine(line, At(0));
  EXPECT_EQ(Session.State(), vsPlaying);
  EXPECT_DOUBLE_EQ(Clock.Position(At(0.5)), 10.5);
}
