// The terminal console: key decoding, and the console on a pseudo-terminal
// (raw mode, title, size question, keys, restoration, also by a signal).
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "fake/FakeCodePages.h"
#include "platform/TestTerminal.h"
#include "platform/posix/KeyDecoder.h"
#include "platform/posix/PosixConsole.h"

namespace {

using TClock = TKeyDecoder::TClock;
using std::chrono::milliseconds;

std::string Keys(const std::deque<TInputRecord> &events) {
  std::string text;
  for (auto &e : events) {
    text += e.KeyDown ? "+" : "-";
    text += e.AsciiChar ? std::string(1, e.AsciiChar) : std::string("0");
  }
  return text;
}

void Feed(TKeyDecoder &decoder, const std::string &bytes, TClock::time_point at = TClock::now()) {
  decoder.Feed(bytes.data(), bytes.size(), at);
}

// The contract tests' terminal: a pseudo-terminal of 80 by 24 whose slave
// side is the console's input and output.
class TPtyTerminal : public TTestTerminal {
public:
  explicit TPtyTerminal(int master, int slave)
      : FMaster(master), FSlave(slave), FConsole(std::in_place, slave, slave, FCodePages) {}
  ~TPtyTerminal() override {
    FConsole.reset();
    close(FMaster);
    close(FSlave);
  }
  IConsole &Console() override { return *FConsole; }
  void Type(const std::string &keys) override {
    ASSERT_EQ(write(FMaster, keys.data(), keys.size()), (ssize_t)keys.size());
  }

private:
  int FMaster, FSlave;
  TFakeCodePages FCodePages;
  std::optional<TPosixConsole> FConsole;
};

} // namespace

std::unique_ptr<TTestTerminal> OpenTestTerminal(std::string &why) {
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 80;
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
    why = "no pseudo-terminal";
    return nullptr;
  }
  return std::make_unique<TPtyTerminal>(master, slave);
}

TEST(KeyDecoder, EachCharacterIsAPressAndARelease) {
  TKeyDecoder decoder;
  Feed(decoder, "q ,");
  EXPECT_EQ(Keys(decoder.Events), "+q-q+ - +,-,");
}

TEST(KeyDecoder, EscapeSequencesAreKeysWithoutCharacter) {
  TKeyDecoder decoder;
  Feed(decoder, "\x1b[A\x1b[15~\x1bOP\x1b[1;5Dp");
  EXPECT_EQ(Keys(decoder.Events), "+0-0+0-0+0-0+0-0+p-p");
  EXPECT_EQ(decoder.Events[0].VirtualKeyCode, 0x26);
}

TEST(KeyDecoder, SequenceSplitAcrossReadsIsOneKey) {
  TKeyDecoder decoder;
  Feed(decoder, "\x1b");
  Feed(decoder, "[");
  EXPECT_TRUE(decoder.Events.empty());
  Feed(decoder, "Cs");
  EXPECT_EQ(Keys(decoder.Events), "+0-0+s-s");
}

TEST(KeyDecoder, LoneEscapeBecomesTheEscapeKeyAfterAWhile) {
  TKeyDecoder decoder;
  auto start = TClock::now();
  Feed(decoder, "\x1b", start);
  decoder.Expire(start + milliseconds(10));
  EXPECT_TRUE(decoder.Events.empty());
  decoder.Expire(start + TKeyDecoder::EscapeWait);
  ASSERT_EQ(decoder.Events.size(), 2u);
  EXPECT_EQ(decoder.Events[0].AsciiChar, '\x1b');
}

TEST(KeyDecoder, WindowReportIsTakenOutOfTheKeys) {
  TKeyDecoder decoder;
  Feed(decoder, "u\x1b[9;50;132tq");
  EXPECT_EQ(Keys(decoder.Events), "+u-u+q-q");
  ASSERT_TRUE(decoder.WindowReport);
  EXPECT_EQ(decoder.WindowReport->X, 132);
  EXPECT_EQ(decoder.WindowReport->Y, 50);
}

TEST(KeyDecoder, NonAsciiAndGarbageNeverHang) {
  TKeyDecoder decoder;
  Feed(decoder, "\xc3\xa9\xe2\x82");
  EXPECT_EQ(Keys(decoder.Events), "+0-0");
  // A sequence that never ends is dropped, not held.
  Feed(decoder, "\xac" + std::string("\x1b[") + std::string(100, '1'));
  Feed(decoder, "q");
  EXPECT_EQ(Keys(decoder.Events), "+0-0+0-0+0-0+q-q");
}

namespace {

// A pseudo-terminal whose slave side is the console's input and output.
class PtyConsole : public ::testing::Test {
protected:
  void SetUp() override {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    ASSERT_EQ(openpty(&Master, &Slave, nullptr, nullptr, &size), 0);
  }
  void TearDown() override {
    close(Master);
    close(Slave);
  }
  termios Mode() {
    termios mode{};
    tcgetattr(Slave, &mode);
    return mode;
  }
  // Everything the console wrote to the terminal within `waitMs`.
  std::string Written(int waitMs = 50) {
    std::string text;
    pollfd fd{Master, POLLIN, 0};
    while (poll(&fd, 1, waitMs) > 0) {
      char bytes[512];
      ssize_t got = read(Master, bytes, sizeof bytes);
      if (got <= 0) break;
      text.append(bytes, static_cast<size_t>(got));
      waitMs = 10;
    }
    return text;
  }
  void Type(const std::string &bytes) {
    ASSERT_EQ(write(Master, bytes.data(), bytes.size()), (ssize_t)bytes.size());
  }

  int Master = -1;
  int Slave = -1;
  TFakeCodePages CodePages;
};

} // namespace

TEST_F(PtyConsole, TakingTheInputGoesRawAndRestoreUndoesIt) {
  termios before = Mode();
  {
    TPosixConsole console(Slave, Slave, CodePages);
    console.GetStdHandle(StdInputHandle);
    termios raw = Mode();
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_NE(raw.c_lflag & ISIG, 0u);
  }
  termios after = Mode();
  EXPECT_EQ(after.c_lflag, before.c_lflag);
}

TEST_F(PtyConsole, TitleIsPushedSetAndPoppedWithoutControlCharacters) {
  TPosixConsole console(Slave, Slave, CodePages);
  ASSERT_TRUE(console.SetConsoleTitle("Night\x1b]2;evil\x07 train"));
  EXPECT_EQ(Written(), "\x1b[22;0t\x1b]2;Night]2;evil train\x07");
  ASSERT_TRUE(console.SetCursorInfo(Slave, 1, false));
  EXPECT_EQ(Written(), "\x1b[?25l");
  console.Restore();
  EXPECT_EQ(Written(), "\x1b[?25h\x1b[23;0t");
}

// A terminal that takes every size it is asked for (CSI 8 t), until `stop`;
// returns everything the console wrote.
std::string ObligingTerminal(int master, const std::atomic<bool> &stop) {
  std::string seen;
  size_t parsed = 0;
  while (!stop) {
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 10) <= 0) continue;
    char bytes[256];
    ssize_t got = read(master, bytes, sizeof bytes);
    if (got <= 0) break;
    seen.append(bytes, static_cast<size_t>(got));
    unsigned rows = 0, cols = 0;
    size_t at;
    while ((at = seen.find("\x1b[8;", parsed)) != std::string::npos &&
           seen.find('t', at) != std::string::npos) {
      parsed = seen.find('t', at) + 1;
      if (sscanf(seen.c_str() + at, "\x1b[8;%u;%ut", &rows, &cols) != 2) continue;
      winsize size{};
      size.ws_row = static_cast<unsigned short>(rows);
      size.ws_col = static_cast<unsigned short>(cols);
      ioctl(master, TIOCSWINSZ, &size);
    }
  }
  return seen;
}

TEST_F(PtyConsole, ResizeIsReadBackAndTheStartSizeAskedBackAtExit) {
  TPosixConsole console(Slave, Slave, CodePages);
  TScreenBufferInfo info;
  ASSERT_TRUE(console.GetScreenBufferInfo(Slave, info));
  EXPECT_EQ(info.Size.X, 80);
  EXPECT_EQ(info.Size.Y, 24);
  std::atomic<bool> stop{false};
  std::string seen;
  std::thread terminal([&] { seen = ObligingTerminal(Master, stop); });
  EXPECT_TRUE(console.SetScreenBufferSize(Slave, TCoord{127, 6}));
  TSmallRect window{0, 0, 126, 5};
  EXPECT_TRUE(console.SetWindowInfo(Slave, true, window)) << "already that size: nothing to ask";
  ASSERT_TRUE(console.GetScreenBufferInfo(Slave, info));
  EXPECT_EQ(info.Size.X, 127);
  console.Restore();
  std::this_thread::sleep_for(milliseconds(50));
  stop = true;
  terminal.join();
  EXPECT_EQ(seen, "\x1b[8;6;127t\x1b[8;24;80t");
}

TEST_F(PtyConsole, ResizeTheTerminalIgnoresFailsWithTheSizeItKept) {
  TPosixConsole console(Slave, Slave, CodePages);
  EXPECT_FALSE(console.SetScreenBufferSize(Slave, TCoord{127, 6}));
  EXPECT_EQ(console.GetLastErrorText(), "the terminal kept 80x24");
  auto start = TClock::now();
  TSmallRect window{0, 0, 126, 5};
  EXPECT_FALSE(console.SetWindowInfo(Slave, true, window));
  EXPECT_LT(TClock::now() - start, milliseconds(TPosixConsole::ResizeWaitMs / 2))
      << "the same refused size is not waited for again";
  EXPECT_EQ(console.GetLastErrorText(), "the terminal kept 80x24");
  console.Restore();
  EXPECT_EQ(Written(), "\x1b[8;6;127t") << "asked once; nothing changed, so nothing undone";
}

TEST_F(PtyConsole, LargestWindowComesFromTheTerminalsAnswer) {
  TPosixConsole console(Slave, Slave, CodePages);
  std::thread terminal([&] {
    std::string asked = Written(500);
    if (asked.find("\x1b[19t") != std::string::npos) Type("p\x1b[9;50;132t");
  });
  TCoord largest = console.GetLargestWindowSize(Slave);
  terminal.join();
  EXPECT_EQ(largest.X, 132);
  EXPECT_EQ(largest.Y, 50);
  // A key typed around the answer is kept.
  TInputRecord event;
  uint32_t count = 0;
  ASSERT_TRUE(console.PeekInput(Slave, event, count));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(event.AsciiChar, 'p');
}

TEST_F(PtyConsole, LargestWindowWithoutAnswerIsTheCurrentSize) {
  TPosixConsole console(Slave, Slave, CodePages);
  auto start = TClock::now();
  TCoord largest = console.GetLargestWindowSize(Slave);
  auto waited = std::chrono::duration_cast<milliseconds>(TClock::now() - start).count();
  EXPECT_EQ(largest.X, 80);
  EXPECT_EQ(largest.Y, 24);
  EXPECT_GE(waited, 90);
  EXPECT_LT(waited, 1000);
}

// Letters are the contract suite's; a key that comes as an escape sequence
// is one press and one release too.
TEST_F(PtyConsole, ArrowKeysArePeekedThenReadAsOneKey) {
  TPosixConsole console(Slave, Slave, CodePages);
  console.GetStdHandle(StdInputHandle);
  Type("\x1b[B");
  std::this_thread::sleep_for(milliseconds(20));
  TInputRecord event;
  uint32_t count = 0;
  std::string seen;
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(console.PeekInput(Slave, event, count));
    if (count == 0) break;
    TInputRecord peeked = event;
    ASSERT_TRUE(console.ReadInput(Slave, event, count));
    EXPECT_EQ(peeked.KeyDown, event.KeyDown);
    seen += event.KeyDown ? "+" : "-";
    seen += event.AsciiChar ? event.AsciiChar : '0';
  }
  EXPECT_EQ(seen, "+0-0");
}

// A library closing or reusing descriptor 0 (mpv's video-output probe does,
// with no display) leaves the keys where they were.
TEST_F(PtyConsole, KeysSurviveALibraryTakingDescriptorZero) {
  const int savedInput = dup(STDIN_FILENO);
  dup2(Slave, STDIN_FILENO);
  auto console = CreatePlatformConsole(CodePages);
  THandle input = console->GetStdHandle(StdInputHandle);
  const int devNull = open("/dev/null", O_RDONLY);
  dup2(devNull, STDIN_FILENO);
  close(devNull);
  Type("q");
  std::this_thread::sleep_for(milliseconds(20));
  TInputRecord event;
  uint32_t count = 0;
  const bool peeked = console->PeekInput(input, event, count);
  console.reset();
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);
  EXPECT_GT(input, 2) << "a private descriptor above the standard three";
  ASSERT_TRUE(peeked);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(event.AsciiChar, 'q');
}

TEST(PosixConsole, NothingIsChangedWhenOutputIsNotATerminal) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  {
    TFakeCodePages codePages;
    TPosixConsole console(fds[0], fds[1], codePages);
    TScreenBufferInfo info;
    EXPECT_FALSE(console.SetConsoleTitle("x"));
    EXPECT_FALSE(console.GetScreenBufferInfo(fds[1], info));
    TCoord largest = console.GetLargestWindowSize(fds[1]);
    EXPECT_EQ(largest.X, 0);
    EXPECT_FALSE(console.SetScreenBufferSize(fds[1], TCoord{80, 6}));
    EXPECT_FALSE(console.SetCursorInfo(fds[1], 1, false));
    EXPECT_NE(console.GetLastError(), 0u);
  }
  close(fds[1]);
  char byte;
  EXPECT_EQ(read(fds[0], &byte, 1), 0) << "something was written to the pipe";
  close(fds[0]);
}

TEST_F(PtyConsole, EndingSignalRestoresTheTerminalThenKills) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    TPosixConsole *console = new TPosixConsole(Slave, Slave, CodePages);
    console->GetStdHandle(StdInputHandle);
    console->SetCursorInfo(Slave, 1, false);
    raise(SIGTERM);
    _exit(0); // not reached when the signal kills
  }
  // Everything the child wrote is in the terminal once it is gone: reading
  // only then keeps a slow machine from cutting the restore off.
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  std::string written = Written(1000);
  EXPECT_TRUE(WIFSIGNALED(status));
  if (WIFSIGNALED(status)) {
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
  }
  EXPECT_NE(written.find("\x1b[?25l\x1b[?25h"), std::string::npos);
  EXPECT_NE(Mode().c_lflag & ECHO, 0u);
}

TEST_F(PtyConsole, SuspendGivesTheTerminalBackUntilContinued) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setpgid(0, 0); // a group of its own, which its parent can continue
    TPosixConsole console(Slave, Slave, CodePages);
    console.GetStdHandle(StdInputHandle);
    console.SetCursorInfo(Slave, 1, false);
    raise(SIGTSTP);
    termios mode{};
    tcgetattr(Slave, &mode);
    _exit((mode.c_lflag & ECHO) ? 1 : 0); // raw again after continuing
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
  ASSERT_TRUE(WIFSTOPPED(status));
  std::string suspended = Written(200);
  EXPECT_NE(Mode().c_lflag & ECHO, 0u) << "echo off while stopped";
  EXPECT_NE(suspended.find("\x1b[?25l\x1b[?25h"), std::string::npos);

  kill(child, SIGCONT);
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not raw after continuing";
  std::string resumed = Written(200);
  EXPECT_EQ(resumed.find("\x1b[?25l"), 0u) << "cursor not hidden again";
}

// SIGWINCH says the size changed, once; the size read then is the new one.
TEST_F(PtyConsole, WindowChangeIsReportedOnceAndTheNewSizeRead) {
  TPosixConsole console(Slave, Slave, CodePages);
  TScreenBufferInfo info;
  ASSERT_TRUE(console.GetScreenBufferInfo(Slave, info));
  EXPECT_FALSE(console.SizeChanged(Slave));
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 60;
  ASSERT_EQ(ioctl(Master, TIOCSWINSZ, &size), 0);
  // The terminal signals its foreground group, which this test is not.
  raise(SIGWINCH);
  EXPECT_TRUE(console.SizeChanged(Slave));
  EXPECT_FALSE(console.SizeChanged(Slave)) << "once per change";
  ASSERT_TRUE(console.GetScreenBufferInfo(Slave, info));
  EXPECT_EQ(info.Size.X, 60);
  // A change the answer already holds is not reported again.
  raise(SIGWINCH);
  ASSERT_TRUE(console.GetScreenBufferInfo(Slave, info));
  EXPECT_FALSE(console.SizeChanged(Slave));
}
