// The POSIX process service: argv as the shell split it, the program's path
// from /proc, and one line of standard input.
#include "platform/Process.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/posix/PrivateDescriptor.h"

namespace {

// A closed standard descriptor would be handed out by the next open(), so a
// file opened later could receive what was meant for that stream. Park
// /dev/null there instead; reads then end at once and writes are refused.
void ReserveDescriptor(int fd, int flags) {
  if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) return;
  const int parked = open("/dev/null", flags);
  if (parked >= 0 && parked != fd) {
    dup2(parked, fd);
    close(parked);
  }
}

class TPosixProcess : public IProcess {
public:
  // The line after the usage text is read through a private copy of
  // descriptor 0, which a library may have closed by then.
  TPosixProcess(int argc, char **argv) : FInput(PrivateCopy(STDIN_FILENO)) {
    for (int i = 1; i < argc; ++i)
      FArguments.emplace_back(argv[i]);
    if (argc > 0 && argv[0]) FArgv0 = argv[0];
  }
  ~TPosixProcess() override { ClosePrivateCopy(FInput, STDIN_FILENO); }

  std::vector<std::string> Arguments() override { return FArguments; }

  std::string ProgramPath() override {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) return std::string(path, static_cast<size_t>(length));
    char *resolved = realpath(FArgv0.c_str(), nullptr);
    if (!resolved) return FArgv0;
    std::string result = resolved;
    free(resolved);
    return result;
  }

  void ReadLine() override {
    // Byte by byte, so nothing after the line is taken from the input. A
    // terminal in raw mode ends the line with CR, a cooked one with LF.
    for (;;) {
      char c;
      const ssize_t got = read(FInput, &c, 1);
      if (got == 1) {
        if (c == '\n' || c == '\r') return;
        continue;
      }
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        pollfd wait{FInput, POLLIN, 0};
        if (poll(&wait, 1, -1) >= 0 || errno == EINTR) continue;
      }
      return; // end of input or a read error: nothing more will come
    }
  }

  bool SlashIsOption() override { return false; }

  void WriteErrorLine(const std::string &line) override {
    const std::string text = line + "\n";
    for (size_t done = 0; done < text.size();) {
      const ssize_t wrote = write(STDERR_FILENO, text.data() + done, text.size() - done);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return;
      done += static_cast<size_t>(wrote);
    }
  }

private:
  int FInput;
  std::vector<std::string> FArguments;
  std::string FArgv0;
};

} // namespace

std::unique_ptr<IProcess> CreatePlatformProcess(int argc, char **argv) {
  ReserveDescriptor(STDIN_FILENO, O_RDONLY);
  ReserveDescriptor(STDERR_FILENO, O_WRONLY);
  return std::make_unique<TPosixProcess>(argc, argv);
}
