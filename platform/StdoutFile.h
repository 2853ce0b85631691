// Test support: standard output pointed at a fresh temporary file for the
// life of the object, so a test can read back what the output stream wrote.
// Each platform points its own kind of standard output (descriptor 1, the
// standard output handle).
#pragma once

#include <memory>
#include <string>

class TStdoutFile {
public:
  TStdoutFile();
  ~TStdoutFile();
  TStdoutFile(const TStdoutFile &) = delete;
  TStdoutFile &operator=(const TStdoutFile &) = delete;

  // Whether the file was made and standard output points at it.
  bool Ok() const;
  // Everything in the file so far.
  std::string Bytes() const;

private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};
