// The real file system on POSIX: the file-exists test and whole-file reads of
// regular files only, with errno mapped onto the system's I/O error numbers.
#include "platform/Files.h"

#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Errors.h"
#include "platform/FileRefusals.h"
#include "platform/posix/InOutErrors.h"

namespace {

[[noreturn]] void RaiseErrno(int error) { Raise(InOutErrorFromErrno(error)); }

class TPosixFiles : public IFileSystem {
public:
  bool FileExists(const std::string &name) override {
    struct stat info;
    return !name.empty() && stat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  }

  std::string ReadAll(const std::string &name) override {
    // The kind is asked before the open: a FIFO's open waits for a writer,
    // and a device's may act on the device.
    struct stat info;
    if (stat(name.c_str(), &info) == 0) RefuseNonFile(name, info);
    int fd;
    do
      fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) RaiseErrno(errno);

    std::string bytes;
    try {
      ReadFrom(fd, name, bytes);
    } catch (...) {
      close(fd);
      throw;
    }
    if (close(fd) != 0 && errno != EINTR) RaiseErrno(errno);
    return bytes;
  }

  std::string ReadHead(const std::string &name, size_t limit) override {
    // Only a regular file: bytes taken from a pipe or a terminal would be
    // missing when the file is read whole afterwards.
    std::string bytes;
    const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return bytes;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      close(fd);
      return bytes;
    }
    bytes.resize(limit);
    size_t got = 0;
    while (got < limit) {
      const ssize_t n = read(fd, bytes.data() + got, limit - got);
      if (n > 0)
        got += static_cast<size_t>(n);
      else if (n == 0 || errno != EINTR)
        break;
    }
    close(fd);
    bytes.resize(got);
    return bytes;
  }

  std::vector<std::string> ListDirectory(const std::string &directory) override {
    std::vector<std::string> names;
    DIR *dir = opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return names;
    while (const dirent *entry = readdir(dir))
      names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
  }

private:
  // Raises the error for what is not a regular file: a directory is refused
  // the way a Windows open of a directory refuses it, anything else by name.
  static void RefuseNonFile(const std::string &name, const struct stat &info) {
    if (S_ISREG(info.st_mode)) return;
    if (S_ISDIR(info.st_mode)) RaiseErrno(EACCES);
    Raise(NotAFileError(name, S_ISCHR(info.st_mode)    ? "a character device"
                              : S_ISBLK(info.st_mode)  ? "a block device"
                              : S_ISFIFO(info.st_mode) ? "a FIFO"
                              : S_ISSOCK(info.st_mode) ? "a socket"
                                                       : "a special file"));
  }

  // Reads the whole file into `bytes`, raising for a failure.
  static void ReadFrom(int fd, const std::string &name, std::string &bytes) {
    struct stat info;
    if (fstat(fd, &info) != 0) RaiseErrno(errno);
    // Asked again of what was opened: the name may have been replaced since.
    RefuseNonFile(name, info);
    if (static_cast<uint64_t>(info.st_size) > MaxScriptFileBytes) Raise(TooLargeError(name));
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) RaiseErrno(errno);
    bytes.reserve(static_cast<size_t>(info.st_size));

    char chunk[65536];
    for (;;) {
      ssize_t got = read(fd, chunk, sizeof chunk);
      if (got > 0) {
        // A file that grows while it is read stops at the same limit.
        if (bytes.size() + static_cast<size_t>(got) > MaxScriptFileBytes)
          Raise(TooLargeError(name));
        bytes.append(chunk, static_cast<size_t>(got));
      } else if (got == 0) {
        return;
      } else if (errno != EINTR) {
        RaiseErrno(errno);
      }
    }
  }
};

} // namespace

IFileSystem &PlatformFiles() {
  static TPosixFiles files;
  return files;
}
