// The real file system on POSIX: the file-exists test and whole-file reads,
// with errno mapped onto the system's I/O error numbers.
#include "platform/Files.h"

#include <cerrno>
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
