// Output service: the one text stream to standard output, lines in CR LF.
#pragma once

#include <memory>
#include <string>

#include "platform/CodePages.h"

class IOutput {
public:
  virtual ~IOutput() = default;
  // Writes the line and a CR LF. On a console the line is flushed at once; to
  // a file or pipe the stream writes in 128-byte blocks. A failed write
  // raises EInOutError.
  virtual void WriteLine(const std::string &line) = 0;
  // Writes whatever is buffered (at exit). Raises EInOutError on failure.
  virtual void Flush() = 0;
};

// `codePages` gives the console code page the lines are written in.
std::unique_ptr<IOutput> CreatePlatformOutput(ICodePages &codePages);
