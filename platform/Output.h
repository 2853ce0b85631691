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
  // Writes a line of imported UTF-8 text, which may hold style marker bytes,
  // and a CR LF, on the same terms. A terminal or console gets the text in
  // its own charset, "?" for what it cannot show, and with `styled` italics
  // and bold as such (ended at the line's end); otherwise the markers are
  // dropped. A file or pipe gets plain UTF-8.
  virtual void WriteTextLine(const std::string &utf8, bool styled) = 0;
  // Writes a line whose text comes from the system (file names, system and
  // library messages: the locale's charset on POSIX, the ANSI code page on
  // Windows) and a CR LF, on the same terms. A terminal or console shows it
  // in its own charset, "?" for what it cannot show or for a control
  // character; a file or pipe gets the bytes as given.
  virtual void WriteSystemLine(const std::string &line) = 0;
  // Writes whatever is buffered (at exit). Raises EInOutError on failure.
  virtual void Flush() = 0;
};

// `codePages` gives the console code page the lines are written in.
std::unique_ptr<IOutput> CreatePlatformOutput(ICodePages &codePages);
