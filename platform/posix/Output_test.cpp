// Tests of the POSIX output stream on real descriptors: lines that stay put
// when a library moves descriptor 1, the errors of a full disk, a closed pipe
// and a closed stream, and what a terminal receives. What every platform
// does to a file is in platform/Output_test.cpp.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "platform/CodePages.h"

#include "base/Errors.h"
#include "platform/Output.h"
#include "platform/StdoutFile.h"

namespace {

// Points file descriptor 1 at `fd` for the life of the object; gtest's own
// output waits until it is restored.
class TStdoutRedirect {
public:
  explicit TStdoutRedirect(int fd) {
    fflush(stdout);
    FSaved = dup(STDOUT_FILENO);
    if (fd >= 0)
      dup2(fd, STDOUT_FILENO);
    else
      close(STDOUT_FILENO);
  }
  ~TStdoutRedirect() {
    dup2(FSaved, STDOUT_FILENO);
    close(FSaved);
  }

private:
  int FSaved;
};

// The error number of the first failing write of `lines` lines, 0 if none.
int FirstWriteError(int fd, int lines) {
  TStdoutRedirect redirect(fd);
  auto output = CreatePlatformOutput(PlatformCodePages());
  try {
    for (int i = 0; i < lines; ++i)
      output->WriteLine(std::string(60, 'x'));
    output->Flush();
  } catch (const EInOutError &error) {
    return error.ErrorCode;
  }
  return 0;
}

TEST(PosixOutput, LinesStayWhereTheyWentWhenALibraryMovesDescriptorOne) {
  TStdoutFile file;
  ASSERT_TRUE(file.Ok());
  auto output = CreatePlatformOutput(PlatformCodePages());
  const int devNull = open("/dev/null", O_WRONLY);
  dup2(devNull, STDOUT_FILENO);
  close(devNull);
  output->WriteLine("kept");
  output->Flush();
  EXPECT_EQ(file.Bytes(), "kept\r\n");
}

TEST(PosixOutput, FullDiskIsDiskFull) {
  const int full = open("/dev/full", O_WRONLY);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(FirstWriteError(full, 1), 101);
  close(full);
}

TEST(PosixOutput, ClosedPipeIsAFailedWriteNotADeadProcess) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);
  EXPECT_EQ(FirstWriteError(ends[1], 3), EPIPE);
  close(ends[1]);
}

TEST(PosixOutput, ClosedStreamFailsAndIsNotHandedToAnotherFile) {
  int error = 0;
  int nextFd = -1;
  {
    TStdoutRedirect redirect(-1);
    auto output = CreatePlatformOutput(PlatformCodePages());
    // The slot of descriptor 1 stays taken, so a file opened now lands elsewhere.
    nextFd = open("/dev/null", O_RDONLY);
    try {
      output->WriteLine("lost");
      output->Flush();
    } catch (const EInOutError &e) {
      error = e.ErrorCode;
    }
  }
  if (nextFd >= 0) close(nextFd);
  EXPECT_NE(nextFd, STDOUT_FILENO);
  EXPECT_EQ(error, EBADF);
}

// Everything the terminal side received within a short wait.
std::string DrainTerminal(int master) {
  std::string bytes;
  pollfd ready{master, POLLIN, 0};
  char chunk[256];
  while (poll(&ready, 1, 200) > 0) {
    const ssize_t got = read(master, chunk, sizeof chunk);
    if (got <= 0) break;
    bytes.append(chunk, static_cast<size_t>(got));
  }
  return bytes;
}

// What a terminal in `locale` receives while `write` uses a fresh output
// stream; `codeset` gets the locale's charset. The bytes arrive as written (a
// raw terminal), each line without waiting for a flush.
template <class F> std::string TerminalBytes(const char *locale, std::string &codeset, F write) {
  const char *oldAll = getenv("LC_ALL");
  const std::string savedAll = oldAll ? oldAll : "";
  setenv("LC_ALL", locale, 1);
  std::setlocale(LC_CTYPE, ""); // as main does at start-up
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "openpty failed";
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  std::string received;
  {
    TStdoutRedirect redirect(slave);
    auto output = CreatePlatformOutput(PlatformCodePages());
    codeset = nl_langinfo(CODESET);
    write(*output);
    received = DrainTerminal(master);
  }
  close(slave);
  close(master);
  if (oldAll)
    setenv("LC_ALL", savedAll.c_str(), 1);
  else
    unsetenv("LC_ALL");
  std::setlocale(LC_CTYPE, "C");
  return received;
}

TEST(PosixOutput, TerminalGetsEachLineAtOnceInItsOwnCharset) {
  if (PlatformCodePages().GetOEMCP() != 437) GTEST_SKIP() << "needs the 437 console code page";
  std::string codeset;
  const std::string received = TerminalBytes(
      "C.UTF-8", codeset, [](IOutput &output) { output.WriteLine("caf\x82 na\x8bve"); });
  if (codeset != "UTF-8") GTEST_SKIP() << "no UTF-8 locale here";
  // 0x82 and 0x8B of code page 437.
  EXPECT_EQ(received, "caf\xc3\xa9 na\xc3\xafve\r\n");
}

// Imported text: styles as SGR only when asked for, controls shown as "?",
// and in a charset without the characters one "?" per character (a letter
// and its combining accent count as one).
TEST(PosixOutput, TerminalGetsTextLinesInItsCharsetWithStyles) {
  const std::string text = "\x0E"
                           "caf\xC3\xA9\x0F \xE6\x97\xA5 e\xCC\x81\x1B[2J\t!";
  std::string codeset;
  const std::string utf8 = TerminalBytes("C.UTF-8", codeset, [&](IOutput &output) {
    output.WriteTextLine(text, true);
    output.WriteTextLine(text, false);
  });
  if (codeset == "UTF-8") {
    EXPECT_EQ(utf8, "\x1b[3mcaf\xC3\xA9\x1b[23m \xE6\x97\xA5 e\xCC\x81?[2J !\x1b[0m\r\n"
                    "caf\xC3\xA9 \xE6\x97\xA5 e\xCC\x81?[2J !\r\n");
  }
  const std::string ascii =
      TerminalBytes("C", codeset, [&](IOutput &output) { output.WriteTextLine(text, false); });
  EXPECT_EQ(ascii, "caf? ? ??[2J !\r\n");
}

// A file name in the locale's charset shows as itself, not as code page 437
// bytes; a control character in it cannot reach the terminal.
TEST(PosixOutput, TerminalGetsSystemLinesInTheLocalesCharset) {
  std::string codeset;
  const std::string name = "Subtitles: Vid\xC3\xA9o\x1b[2J.srt";
  const std::string utf8 =
      TerminalBytes("C.UTF-8", codeset, [&](IOutput &output) { output.WriteSystemLine(name); });
  if (codeset == "UTF-8") EXPECT_EQ(utf8, "Subtitles: Vid\xC3\xA9o?[2J.srt\r\n");
  const std::string ascii =
      TerminalBytes("C", codeset, [&](IOutput &output) { output.WriteSystemLine(name); });
  EXPECT_EQ(ascii, "Subtitles: Vid??o?[2J.srt\r\n");
}

} // namespace
