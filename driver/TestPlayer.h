// For the clock and key tests: a player that records every call and answers
// with scripted states and positions, or fails where a test says.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "player/PlayerControls.h"
#include "player/UntVideoIF.h"

class TTestPlayer : public IVideoPlayer {
public:
  int32_t AddRef() override { return ++RefCount; }
  int32_t Release() override { return --RefCount; } // owned by the test
  double GetPosition() override {
    Record("GetPosition");
    return Follow ? Follow() : Position;
  }
  void SetPosition(double position) override { Record("SetPosition(" + Number(position) + ")"); }
  std::string GetFileName() override { return FileName; }
  void SetFileName(const std::string &name) override { FileName = name; }
  int32_t GetState() override {
    Record("GetState");
    return State;
  }
  void Start() override {}
  void Close() override {}
  bool IsAvailable() override { return true; }
  void Play() override { Record("Play"); }
  void Stop() override { Record("Stop"); }
  void Pause() override { Record("Pause"); }
  void Seek(int32_t direction, double amount) override {
    Record("Seek(" + std::to_string(direction) + "," + Number(amount) + ")");
  }

  int Count(const std::string &call) const {
    int n = 0;
    for (auto &c : Calls)
      n += c == call;
    return n;
  }

  std::vector<std::string> Calls;
  // The video the player was given (not a recorded call).
  std::string FileName;
  // Operations that raise an automation error, by name ("GetPosition", ...).
  std::set<std::string> Failing;
  int32_t State = vsPlaying;
  double Position = 0;
  // When set, the position is read from here instead (a player on a clock).
  std::function<double()> Follow;
  int32_t RefCount = 0;

private:
  static std::string Number(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
  }
  void Record(const std::string &call) {
    Calls.push_back(call);
    std::string name = call.substr(0, call.find('('));
    if (Failing.count(name)) throw EOleException("The player has gone", E_FailCode, "", "", 0);
  }
  static constexpr int32_t E_FailCode = static_cast<int32_t>(0x80004005);
};

// A player table of one row, "Test", for the driver to select from as it
// selects the real players: every creation hands out `player`.
inline const std::vector<TPlayerControl> &TestPlayerControls(TTestPlayer &player) {
  static TTestPlayer *handedOut = nullptr;
  handedOut = &player;
  static const std::vector<TPlayerControl> controls = {
      {{"Test"}, "Test", [](double, bool, std::string &) -> IVideoPlayer * { return handedOut; }}};
  return controls;
}
