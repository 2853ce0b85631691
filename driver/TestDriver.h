// For the driver's tests: a TDriver over fake services, with helpers to run
// it whole and to build scripts.
#pragma once

#include "driver/Driver.h"
#include "base/Errors.h"
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
