// For the driver's tests: a TDriver over fake services, with helpers to run
// it whole and to build scripts.
#pragma once

#include "base/Errors.h"
#include "driver/Driver.h"
#include "driver/TestPlayer.h"
#include "fake/FakeCodePages.h"
#include "fake/FakeConsole.h"
#include "fake/FakeFiles.h"
#include "fake/FakeLoop.h"
#include "fake/FakeOutput.h"
#include "fake/FakePlayerLog.h"
#include "fake/FakeProcess.h"

struct TTestDriver {
  TFakeProcess Process;
  TFakeOutput Output;
  TFakeConsole Console;
  TFakeLoop Loop;
  TFakeCodePages CodePages;
  TFakeFiles Files;
  TFakePlayerLog PlayerLog;
  TDriver Driver{TServices{Process, Output, Console, Loop, CodePages, Files, PlayerLog}};

  // Starts the program on `args` as main does, up to its message loop.
  void Start(std::vector<std::string> args) {
    Process.Args = std::move(args);
    Driver.Startup();
  }
  // The same with `player` the one player there is to select.
  void Start(std::vector<std::string> args, TTestPlayer &player) {
    Driver.Controls = &TestPlayerControls(player);
    Start(std::move(args));
  }
  // Start, then the first tick, which sees the player's state and so begins
  // playback. What the start wrote and called is forgotten: a test sees the
  // output lines, console calls and player calls that come after.
  void StartPlaying(std::vector<std::string> args, TTestPlayer &player) {
    Start(std::move(args), player);
    Loop.Tick();
    Output.Lines.clear();
    Console.Calls.clear();
    player.Calls.clear();
  }
  // Types `keys` in the console; the next tick reads them.
  void TypeAndTick(const std::string &keys) {
    for (char key : keys)
      Console.TypeKey(key);
    Loop.Tick();
  }

  // The exit code of an operation that ends the process, -1 if it returns.
  template <class F> int ExitCodeOf(F operation) {
    try {
      operation();
    } catch (const TProcessEnd &end) {
      return end.ExitCode;
    }
    return -1;
  }
};

// A script file's text from its lines, each ended by CR LF.
inline std::string ScriptText(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string &line : lines)
    text += line + "\r\n";
  return text;
}
