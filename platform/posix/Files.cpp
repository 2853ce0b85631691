// The real file system on POSIX: the file-exists test and whole-file reads,
// with errno mapped onto the system's I/O error numbers.
#include "platform/Files.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Errors.h"
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
    int fd;
    do
      fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) RaiseErrno(errno);

    std::string bytes;
    int error = ReadFrom(fd, bytes);
    if (close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    if (error != 0) RaiseErrno(error);
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
  // Reads the whole file into `bytes`; the errno of a failure, or 0.
  static int ReadFrom(int fd, std::string &bytes) {
    struct stat info;
    if (fstat(fd, &info) != 0) return errno;
    // A directory opens for reading but is no script: the same refusal as a
    // Windows open of a directory gives.
    if (S_ISDIR(info.st_mode)) return EACCES;
    if (S_ISREG(info.st_mode) && info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));

    char chunk[65536];
    for (;;) {
      ssize_t got = read(fd, chunk, sizeof chunk);
      if (got > 0)
        bytes.append(chunk, static_cast<size_t>(got));
      else if (got == 0)
        return 0;
      else if (errno != EINTR)
        return errno;
    }
  }
};

} // namespace

IFileSystem &PlatformFiles() {
  static TPosixFiles files;
  return files;
}
