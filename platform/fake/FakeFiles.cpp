// The tests' in-memory file system.
#include "platform/fake/FakeFiles.h"

#include "platform/Errors.h"

bool TFakeFiles::FileExists(const std::string &name) {
  return Files.count(name) != 0 && Directories.count(name) == 0;
}

std::string TFakeFiles::ReadAll(const std::string &name) {
  ++Reads;
  if (auto error = Errors.find(name); error != Errors.end()) Raise(EInOutError(error->second));
  if (Directories.count(name)) Raise(EInOutError(5));
  auto file = Files.find(name);
  if (file == Files.end()) Raise(EInOutError(2));
  return file->second;
}
