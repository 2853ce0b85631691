// TMPlayer against a recording control: the exact calls of every operation,
// the mode table, the seek rule, failures part-way and life after Close.
#include "player/UntIFMPlayer.h"

#include <gtest/gtest.h>

#include "fake/RecordingControl.h"
#include "player/PlayerTestSupport.h"

namespace {

using Calls = std::vector<std::string>;

class TMPlayerTest : public ::testing::Test {
protected:
  // Declared before the adapter so that they outlive every reference.
  std::string DeviceType;
  TRecordingControl Control;
  TRegisteredControl Registration{"MCI.MMControl", &Control};
  TVideoPlayerRef Player{new TMPlayer(25.0, DeviceType)};
};

TEST_F(TMPlayerTest, PositionsTravelInFramesWithTheTimeFormatSetEachTime) {
  Control.SetProperty("Position", TVariant::Double(123.5));
  EXPECT_EQ(Player->GetPosition(), 123.5);
  Player->SetPosition(60);
  EXPECT_EQ(Control.CallTexts(), (Calls{"put TimeFormat I4 3", "get Position",
                                        "put TimeFormat I4 3", "put Position R8 byref 60"}));
  // Every name is looked up again on every call.
  EXPECT_EQ(Control.Lookups.size(), 4u);
}

TEST_F(TMPlayerTest, MillisecondScriptAsksTheControlInMilliseconds) {
  TVideoPlayerRef player{new TMPlayer(1000.0, DeviceType, true)};
  Control.SetProperty("Position", TVariant::Double(1001));
  EXPECT_EQ(player->GetPosition(), 1001.0);
  player->SetPosition(60000);
  EXPECT_EQ(Control.CallTexts(), (Calls{"put TimeFormat I4 0", "get Position",
                                        "put TimeFormat I4 0", "put Position R8 byref 60000"}));
}

TEST_F(TMPlayerTest, PositionOfOtherNumericKindsIsConverted) {
  Control.SetProperty("Position", TVariant::Integer(250));
  EXPECT_EQ(Player->GetPosition(), 250.0);
  Control.SetProperty("Position", TVariant::String("41.5"));
  EXPECT_EQ(Player->GetPosition(), 41.5);
}

TEST_F(TMPlayerTest, ModeTableIncludingUnlistedModes) {
  const std::pair<int32_t, int32_t> rows[] = {
      {524, vsNotReady}, {525, vsStopped}, {526, vsPlaying}, {527, vsNotReady},
      {528, vsStopped},  {529, vsPaused},  {530, vsStopped}, {523, vsNotReady},
      {531, vsNotReady}, {0, vsNotReady},  {-1, vsNotReady}};
  for (auto [mode, state] : rows) {
    Control.SetProperty("mode", TVariant::Integer(mode));
    EXPECT_EQ(Player->GetState(), state) << "mode " << mode;
  }
  EXPECT_EQ(Control.Calls.size(), std::size(rows));
  EXPECT_EQ(Control.CallTexts().front(), "get mode");
}

TEST_F(TMPlayerTest, StartWithoutDeviceTypeSendsOpenAndPlayOnly) {
  Player->Start();
  EXPECT_EQ(Control.CallTexts(), (Calls{"put Command BSTR \"open\"", "put Command BSTR \"play\""}));
}

TEST_F(TMPlayerTest, StartWithDeviceTypeTakesBackWhatTheControlWrites) {
  DeviceType = "avivideo";
  Control.WriteBack("DeviceType", TVariant::String("AVIVideo"));
  Player->Start();
  EXPECT_EQ(Control.CallTexts(), (Calls{"put DeviceType BSTR byref \"avivideo\"",
                                        "put Command BSTR \"open\"", "put Command BSTR \"play\""}));
  EXPECT_EQ(DeviceType, "AVIVideo");
}

TEST_F(TMPlayerTest, FailedDeviceTypeSendsNoCommand) {
  DeviceType = "avivideo";
  Control.WriteBack("DeviceType", TVariant::String("changed"));
  TExcepInfo info;
  info.SCode = static_cast<int32_t>(0x80040200);
  info.Description = "Invalid device type.";
  Control.FailOn("DeviceType", DispE_Exception, info);
  EXPECT_EQ(RaisedBy([&] { Player->Start(); }), "EOleException: Invalid device type");
  EXPECT_EQ(Control.CallTexts(), (Calls{"put DeviceType BSTR byref \"avivideo\""}));
  EXPECT_EQ(DeviceType, "avivideo");
}

TEST_F(TMPlayerTest, FileNameGoesByReferenceAndWriteBackIsDropped) {
  std::string name = "C:\\video\\film.avi";
  Control.WriteBack("FileName", TVariant::String("scribbled"));
  Player->SetFileName(name);
  EXPECT_EQ(name, "C:\\video\\film.avi");
  EXPECT_EQ(Control.CallTexts(), (Calls{"put FileName BSTR byref \"C:\\video\\film.avi\""}));
  Control.SetProperty("FileName", TVariant::String("C:\\VIDEO\\FILM.AVI"));
  EXPECT_EQ(Player->GetFileName(), "C:\\VIDEO\\FILM.AVI");
}

TEST_F(TMPlayerTest, PlayStopPauseSendOneCommandEach) {
  Player->Play();
  Player->Stop();
  Player->Pause();
  EXPECT_EQ(Control.CallTexts(), (Calls{"put Command BSTR \"play\"", "put Command BSTR \"stop\"",
                                        "put Command BSTR \"pause\""}));
}

TEST_F(TMPlayerTest, SeekAtPosition100) {
  const struct {
    int32_t Direction;
    double Amount;
    std::string Written;
  } cases[] = {
      {sdBackward, 250, "put Position R8 byref 0"}, {sdBackward, 100, "put Position R8 byref 0"},
      {sdBackward, 40, "put Position R8 byref 60"}, {sdForward, 250, "put Position R8 byref 350"},
      {2, 250, "put Position R8 byref 350"},        {-1, 40, "put Position R8 byref 140"}};
  for (const auto &c : cases) {
    Control.ClearLog();
    Control.SetProperty("Position", TVariant::Double(100));
    Player->Seek(c.Direction, c.Amount);
    EXPECT_EQ(Control.CallTexts(),
              (Calls{"put TimeFormat I4 3", "get Position", "put TimeFormat I4 3", c.Written}))
        << c.Direction << " by " << c.Amount;
  }
}

TEST_F(TMPlayerTest, FailedTimeFormatLeavesPositionUntouched) {
  Control.FailOn("TimeFormat", E_Fail);
  EXPECT_EQ(RaisedBy([&] { Player->GetPosition(); }).rfind("EOleSysError: ", 0), 0u);
  EXPECT_EQ(RaisedBy([&] { Player->Seek(sdBackward, 10); }).rfind("EOleSysError: ", 0), 0u);
  EXPECT_EQ(Control.CallTexts(), (Calls{"put TimeFormat I4 3", "put TimeFormat I4 3"}));
}

TEST_F(TMPlayerTest, UnknownMemberIsNotSupported) {
  Control.FailLookup("mode");
  EXPECT_EQ(RaisedBy([&] { Player->GetState(); }),
            "EOleError: Method 'mode' not supported by automation object");
  EXPECT_TRUE(Control.Calls.empty());
}

TEST_F(TMPlayerTest, AfterCloseEveryOperationFailsWithoutReachingTheControl) {
  Player->Close();
  EXPECT_EQ(Control.Released, 1); // Close drops the object at once
  EXPECT_TRUE(Player->IsAvailable());
  DeviceType = "avivideo";
  for (auto &operation : EveryOperation(Player))
    EXPECT_EQ(RaisedBy(operation), NoObject);
  EXPECT_TRUE(Control.Calls.empty());
  Player->Close(); // closing twice is harmless
}

TEST(TMPlayerLifeTest, ReferenceCountAndRelease) {
  std::string deviceType; // outlives the player that refers to it
  TRecordingControl control;
  TRegisteredControl registration("MCI.MMControl", &control);
  auto *player = new TMPlayer(25.0, deviceType);
  EXPECT_EQ(player->RefCount(), 0);
  EXPECT_EQ(control.Created, 1);
  {
    TVideoPlayerRef reference(player);
    EXPECT_EQ(player->RefCount(), 1);
    EXPECT_EQ(control.Released, 0);
  }
  // The last reference went without Close: the control is released too.
  EXPECT_EQ(control.Released, 1);
}

TEST(TMPlayerLifeTest, CreationFailureIsSwallowed) {
  std::string deviceType; // outlives the player that refers to it
  std::vector<std::string> creations;
  TRegisteredControl registration("MCI.MMControl", nullptr, &creations);
  TVideoPlayerRef player(new TMPlayer(25.0, deviceType));
  EXPECT_FALSE(player->IsAvailable());
  EXPECT_EQ(creations, (std::vector<std::string>{"MCI.MMControl"}));
  EXPECT_EQ(RaisedBy([&] { player->Play(); }), NoObject);
  player->Close();
  EXPECT_FALSE(player->IsAvailable());
}

} // namespace
