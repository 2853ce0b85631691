// The in-memory output stream for tests.
#include "fake/FakeOutput.h"

#include "base/Errors.h"

void TFakeOutput::WriteLine(const std::string &line) {
  if (FailAfter >= 0 && static_cast<int>(Lines.size()) >= FailAfter) Raise(EInOutError(FailCode));
  Lines.push_back(line);
  Kinds += 'b';
  Bytes += line;
  Bytes += "\r\n";
}

void TFakeOutput::WriteTextLine(const std::string &utf8, bool styled) {
  WriteLine(utf8);
  Kinds.back() = styled ? 's' : 'p';
}

void TFakeOutput::WriteSystemLine(const std::string &line) {
  WriteLine(line);
  Kinds.back() = 'y';
}

void TFakeOutput::Flush() {
  ++Flushes;
  if (FailFlush) Raise(EInOutError(FailCode));
}
