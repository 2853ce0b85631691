// A scripted process for tests: given arguments and program path, a counter
// of the lines read from standard input.
#pragma once

#include "platform/Process.h"

class TFakeProcess : public IProcess {
public:
  std::vector<std::string> Arguments() override { return Args; }
  std::string ProgramPath() override { return Path; }
  void ReadLine() override { ++LinesRead; }
  bool SlashIsOption() override { return Slash; }

  std::vector<std::string> Args;
  std::string Path = "C:\\tools\\cuestrip.exe";
  bool Slash = false;
  int LinesRead = 0;
};
