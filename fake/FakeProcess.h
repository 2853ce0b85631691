// A scripted process for tests: given arguments and program path, a counter
// of the lines read from standard input, the lines written to standard error.
#pragma once

#include "platform/Process.h"

class TFakeProcess : public IProcess {
public:
  std::vector<std::string> Arguments() override { return Args; }
  std::string ProgramPath() override { return Path; }
  void ReadLine() override { ++LinesRead; }
  bool SlashIsOption() override { return Slash; }
  void WriteErrorLine(const std::string &line) override { ErrorLines.push_back(line); }

  std::vector<std::string> Args;
  std::string Path = "C:\\tools\\cuestrip.exe";
  bool Slash = false;
  int LinesRead = 0;
  std::vector<std::string> ErrorLines;
};
