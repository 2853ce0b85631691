// The tests' in-memory file system.
#include "fake/FakeFiles.h"

#include "base/Errors.h"
#include "platform/FileRefusals.h"

bool TFakeFiles::FileExists(const std::string &name) {
  return Files.count(name) != 0 && Directories.count(name) == 0;
}

std::string TFakeFiles::ReadHead(const std::string &name, size_t limit) {
  auto file = Files.find(name);
  return file == Files.end() ? std::string() : file->second.substr(0, limit);
}

std::vector<std::string> TFakeFiles::ListDirectory(const std::string &directory) {
  const std::string prefix = directory.empty() ? "" : directory + "/";
  std::vector<std::string> names;
  for (const auto &file : Files) {
    const std::string &path = file.first;
    if (path.compare(0, prefix.size(), prefix) == 0 &&
        path.find('/', prefix.size()) == std::string::npos)
      names.push_back(path.substr(prefix.size()));
  }
  return names;
}

std::string TFakeFiles::ReadAll(const std::string &name) {
  ++Reads;
  if (auto error = Errors.find(name); error != Errors.end()) Raise(EInOutError(error->second));
  if (Directories.count(name)) Raise(EInOutError(5));
  auto file = Files.find(name);
  if (file == Files.end()) Raise(EInOutError(2));
  if (file->second.size() > MaxScriptFileBytes) Raise(TooLargeError(name));
  return file->second;
}
