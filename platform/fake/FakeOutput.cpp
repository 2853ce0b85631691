// The in-memory output stream for tests.
#include "platform/fake/FakeOutput.h"

#include "platform/Errors.h"

void TFakeOutput::WriteLine(const std::string &line) {
  if (FailAfter >= 0 && static_cast<int>(Lines.size()) >= FailAfter) Raise(EInOutError(FailCode));
  Lines.push_back(line);
  Bytes += line;
  Bytes += "\r\n";
}

void TFakeOutput::Flush() {
  ++Flushes;
  if (FailFlush) Raise(EInOutError(FailCode));
}
