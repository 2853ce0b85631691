// Files service: the file-exists test and whole-file reading of the script.
#pragma once

#include <memory>
#include <string>

class IFileSystem {
public:
  virtual ~IFileSystem() = default;
  // True when `name` names an existing file that is not a directory; a
  // relative name is taken relative to the current directory.
  virtual bool FileExists(const std::string &name) = 0;
  // The file's bytes; raises EInOutError with the system error number when the
  // file cannot be opened, read or closed.
  virtual std::string ReadAll(const std::string &name) = 0;
};

// The real file system of this platform.
IFileSystem &PlatformFiles();
