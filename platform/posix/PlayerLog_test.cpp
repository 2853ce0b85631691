// The POSIX capture: standard output and error into a pipe that the loop
// reads, given back on release with nothing lost and no hang on a flood.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/PlayerLog.h"
#include "platform/posix/PosixLoop.h"

namespace {

using TLines = std::vector<std::string>;
using TClock = std::chrono::steady_clock;

ino_t Inode(int fd) {
  struct stat info {};
  fstat(fd, &info);
  return info.st_ino;
}

void Say(int fd, const std::string &text) { (void)!write(fd, text.data(), text.size()); }

// Runs the loop until `done` or `ms` have passed.
template <class F> void RunLoopUntil(TPosixLoop &loop, F done, int ms = 3000) {
  const auto end = TClock::now() + std::chrono::milliseconds(ms);
  loop.SetTimer(10, [&] {
    if (done() || TClock::now() > end) loop.PostQuitMessage(0);
  });
  TMessage message;
  while (loop.GetMessage(message) > 0)
    loop.DispatchMessage(message);
}

} // namespace

// Everything is checked after the release: while captured, the test's own
// output would go into the pipe as well.
TEST(PosixPlayerLog, LibraryOutputBecomesLogLinesAndTheStreamsComeBack) {
  const ino_t out = Inode(STDOUT_FILENO), err = Inode(STDERR_FILENO);
  fflush(stdout);
  TPosixLoop loop;
  TLines lines;
  auto log = CreatePlatformPlayerLog(loop);
  log->Capture([&](const std::string &line) { lines.push_back(line); }, true, true);
  const bool captured = Inode(STDERR_FILENO) != err && Inode(STDOUT_FILENO) != out;
  Say(STDERR_FILENO, "ALSA lib conf.c: error\n");
  RunLoopUntil(loop, [&] { return !lines.empty(); });
  const TLines whileRunning = lines;
  Say(STDOUT_FILENO, "printed\nno end");
  log->Release(false);
  EXPECT_TRUE(captured);
  EXPECT_EQ(whileRunning, (TLines{"mpv: ALSA lib conf.c: error"})) << "read by the loop";
  EXPECT_EQ(lines, (TLines{"mpv: ALSA lib conf.c: error", "mpv: printed", "mpv: no end"}));
  EXPECT_EQ(Inode(STDERR_FILENO), err);
  EXPECT_EQ(Inode(STDOUT_FILENO), out);
}

// A library that writes megabytes without a line end, also while the main
// thread does not read: nothing hangs, and the loop's timer keeps its turn.
TEST(PosixPlayerLog, AFloodNeitherHangsTheWriterNorHoldsBackTheTimer) {
  TPosixLoop loop;
  size_t longest = 0;
  int lines = 0;
  auto log = CreatePlatformPlayerLog(loop);
  log->Capture(
      [&](const std::string &line) {
        longest = std::max(longest, line.size());
        ++lines;
      },
      true, true);
  std::atomic<bool> written{false};
  std::thread library([&] {
    const std::string chunk(64 * 1024, 'x');
    for (int i = 0; i < 64; ++i) // 4 MB, more than the pipe holds
      Say(STDERR_FILENO, chunk);
    written = true;
  });
  const auto start = TClock::now();
  while (!written && TClock::now() - start < std::chrono::seconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const bool writtenUnread = written;
  int ticks = 0;
  loop.SetTimer(20, [&] { ++ticks; });
  RunLoopUntil(loop, [&] { return ticks >= 5; });
  library.join();
  log->Release(false);
  EXPECT_TRUE(writtenUnread) << "the writer waited for the reader";
  EXPECT_GE(ticks, 5);
  EXPECT_LE(longest, std::string("mpv: ").size() + TPlayerLog::MaxLineLength);
  EXPECT_GE(lines, 1);
}
