// Process service: the program's arguments and path, one line of standard
// input, and lines to standard error.
#pragma once

#include <memory>
#include <string>
#include <vector>

class IProcess {
public:
  virtual ~IProcess() = default;
  // The arguments without the program's name (Windows: the process's command
  // line cut by our own splitter; POSIX: argv as the shell split it).
  virtual std::vector<std::string> Arguments() = 0;
  // The full path of the program file.
  virtual std::string ProgramPath() = 0;
  // Reads one line of standard input, or up to the end of input.
  virtual void ReadLine() = 0;
  // True when options may also begin with "/" (Windows); on POSIX an argument
  // beginning with "/" is an absolute path.
  virtual bool SlashIsOption() = 0;
  // Writes one line to standard error, for what must not mix with the
  // program's output; a failed write is not reported.
  virtual void WriteErrorLine(const std::string &line) = 0;
};

std::unique_ptr<IProcess> CreatePlatformProcess(int argc, char **argv);
