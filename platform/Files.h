// Files service: the file-exists test and whole-file reading of the script.
#pragma once

#include <memory>
#include <string>
#include <vector>

class IFileSystem {
public:
  virtual ~IFileSystem() = default;
  // True when `name` names an existing file that is not a directory; a
  // relative name is taken relative to the current directory.
  virtual bool FileExists(const std::string &name) = 0;
  // The file's bytes; raises EInOutError with the system error number when the
  // file cannot be opened, read or closed. Only a plain file is read: a
  // device or a pipe is refused by name without waiting on it, and so is a
  // file larger than MaxScriptFileBytes (platform/FileRefusals.h).
  virtual std::string ReadAll(const std::string &name) = 0;
  // At most the first `limit` bytes of a regular file; empty when it cannot
  // be read or is not a regular file (a pipe, a device), which it leaves unread.
  virtual std::string ReadHead(const std::string &name, size_t limit) = 0;
  // The names of the entries of a directory ("" is the current one), without
  // their directory; empty when it cannot be read.
  virtual std::vector<std::string> ListDirectory(const std::string &directory) = 0;
};

// The real file system of this platform.
IFileSystem &PlatformFiles();
