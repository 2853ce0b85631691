// The POSIX player log: while the console is in use, standard output and
// error are a pipe that the loop reads on the main thread, so the libraries
// libmpv loads (ALSA, GLib, VA-API, the user's scripts) never write into the
// console.
#include "platform/PlayerLog.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/Loop.h"
#include "platform/posix/PrivateDescriptor.h"
#include "platform/posix/TerminalRestore.h"

namespace {

constexpr int CapturedFds[] = {STDOUT_FILENO, STDERR_FILENO};
constexpr int PipeSize = 1 << 20;
// Read per turn of the loop, so a flood cannot hold back the timer.
constexpr size_t ReadPerTurn = 64 * 1024;

class TPosixPlayerLog : public TPlayerLog {
public:
  explicit TPosixPlayerLog(ILoop &loop) : TPlayerLog(loop), FLoop(loop) {}
  // The descriptors always come back; the log writer may be gone by now.
  ~TPosixPlayerLog() override {
    ForgetWriter();
    Release(false);
  }

protected:
  // Both ends do not block: a library that writes more than the pipe holds
  // while the main thread is busy loses the rest of it instead of hanging
  // the player's threads, and the reader never waits.
  void BeginCapture() override {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    fcntl(ends[1], F_SETPIPE_SZ, PipeSize); // larger when the system allows
    for (int i = 0; i < 2; ++i) {
      FSaved[i] = fcntl(CapturedFds[i], F_DUPFD_CLOEXEC, 3);
      if (FSaved[i] >= 0) dup2(ends[1], CapturedFds[i]);
    }
    close(ends[1]);
    FRead = ends[0];
    RecordCapturedStreams(FSaved[0], FSaved[1]);
    FWatch = WatchReadable(FLoop, FRead, [this] { ReadSome(ReadPerTurn); });
  }

  void EndCapture() override {
    if (FRead < 0) return;
    // Given back first: what the pipe holds then is all there is to read.
    for (int i = 0; i < 2; ++i) {
      if (FSaved[i] < 0) continue;
      dup2(FSaved[i], CapturedFds[i]);
      close(FSaved[i]);
      FSaved[i] = -1;
    }
    ForgetCapturedStreams();
    StopWatching();
    while (ReadSome(PipeSize)) {
    }
    close(FRead);
    FRead = -1;
  }

private:
  // Reads up to `limit` bytes; false once the pipe is empty or ended.
  bool ReadSome(size_t limit) {
    char bytes[4096];
    for (size_t done = 0; done < limit;) {
      const ssize_t got = read(FRead, bytes, sizeof bytes);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        // Every writer gone (a child that inherited the pipe ended): no
        // more turns for it.
        if (got == 0) StopWatching();
        return false;
      }
      Feed(bytes, static_cast<size_t>(got));
      done += static_cast<size_t>(got);
    }
    return true;
  }

  void StopWatching() {
    if (FWatch) FLoop.Unwatch(FWatch);
    FWatch = 0;
  }

  ILoop &FLoop;
  uintptr_t FWatch = 0;
  int FRead = -1;
  int FSaved[2] = {-1, -1};
};

} // namespace

std::unique_ptr<IPlayerLog> CreatePlatformPlayerLog(ILoop &loop) {
  return std::make_unique<TPosixPlayerLog>(loop);
}
