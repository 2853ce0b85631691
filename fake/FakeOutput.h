// An in-memory output stream for tests: keeps every line and the exact bytes,
// and can be told to fail like a full disk or a closed stream.
#pragma once

#include <string>
#include <vector>

#include "platform/Output.h"

class TFakeOutput : public IOutput {
public:
  void WriteLine(const std::string &line) override;
  // Kept as given, markers and all.
  void WriteTextLine(const std::string &utf8, bool styled) override;
  void WriteSystemLine(const std::string &line) override;
  void Flush() override;

  // The lines written so far, without their CR LF.
  std::vector<std::string> Lines;
  // One letter per line: 'b' for WriteLine, 'p' for a plain text line, 's'
  // for a styled one, 'y' for a system line.
  std::string Kinds;
  // Every byte written, line ends included.
  std::string Bytes;
  // Lines accepted before writes start to fail; negative never fails.
  int FailAfter = -1;
  bool FailFlush = false;
  int FailCode = 101;
  int Flushes = 0;
};
