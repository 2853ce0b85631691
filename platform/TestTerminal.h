// Test support: a real terminal for the console's contract tests, with the
// platform's console over it and a way to type into it. POSIX opens a
// pseudo-terminal; Windows uses the fresh console its child test process has.
#pragma once

#include <memory>
#include <string>

#include "platform/Console.h"

class TTestTerminal {
public:
  virtual ~TTestTerminal() = default;
  virtual IConsole &Console() = 0;
  // Each character as a key pressed and released, as a user types it.
  virtual void Type(const std::string &keys) = 0;
};

// Null where this process cannot have a terminal of its own (on Windows, the
// parent of the child that runs the console tests); `why` says so.
std::unique_ptr<TTestTerminal> OpenTestTerminal(std::string &why);
