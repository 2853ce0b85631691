// An in-memory file system for the tests: files by name, directories, and
// injected I/O errors.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/Files.h"

class TFakeFiles : public IFileSystem {
public:
  void Add(const std::string &name, const std::string &bytes) { Files[name] = bytes; }
  bool FileExists(const std::string &name) override;
  // Raises EInOutError: the injected error number for the name, 5 for a
  // directory, 2 for a name that is not there, the too-large error for a
  // file past MaxScriptFileBytes.
  std::string ReadAll(const std::string &name) override;
  std::string ReadHead(const std::string &name, size_t limit) override;
  // The names of the files whose path is the directory, a "/", then the name
  // (or the name alone for the current directory "").
  std::vector<std::string> ListDirectory(const std::string &directory) override;

  std::map<std::string, std::string> Files;
  std::set<std::string> Directories;
  std::map<std::string, int> Errors;
  int Reads = 0;
};
