// The POSIX console: the terminal the program was started in, driven by
// xterm control sequences written straight to it, with raw key input.
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/PosixConsole.h"
#include "platform/posix/PrivateDescriptor.h"
#include "platform/posix/TerminalCharset.h"

namespace {

const std::string Csi = "\x1b[";

// The title's bytes are in the console's code page; the terminal wants its
// locale's charset. Control characters are dropped so a title can never
// smuggle a control sequence into the terminal.
std::string TitleForTerminal(const std::string &title, uint32_t codePage) {
  const std::string text = TTerminalCharset(codePage).Convert(title);
  std::string clean;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7f) continue;
    // C1 controls as UTF-8 (U+0080 to U+009F).
    if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
      ++i;
      continue;
    }
    clean += static_cast<char>(c);
  }
  return clean;
}

// Set by SIGWINCH: the terminal's window changed size.
volatile sig_atomic_t WindowChanged = 0;

void OnWindowChange(int) { WindowChanged = 1; }

// Installs the SIGWINCH handler, once; a handler set by someone else stays.
void FollowWindowChanges() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction previous {};
  if (sigaction(SIGWINCH, nullptr, &previous) != 0 || previous.sa_handler != SIG_DFL) return;
  struct sigaction action {};
  action.sa_handler = OnWindowChange;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGWINCH, &action, nullptr);
}

bool SameSize(TCoord a, TCoord b) { return a.X == b.X && a.Y == b.Y; }

std::string SizeSequence(TCoord size) {
  return Csi + "8;" + std::to_string(size.Y) + ";" + std::to_string(size.X) + "t";
}

} // namespace

TPosixConsole::TPosixConsole(int inputFd, int outputFd, ICodePages &codePages, bool ownsDescriptors)
    : FInputFd(inputFd), FOutputFd(outputFd), FCodePages(codePages),
      FOwnsDescriptors(ownsDescriptors) {
  FChanges.InputFd = inputFd;
  FChanges.OutputFd = outputFd;
}

TPosixConsole::~TPosixConsole() {
  Restore();
  if (!FOwnsDescriptors) return;
  ClosePrivateCopy(FInputFd, STDIN_FILENO);
  ClosePrivateCopy(FOutputFd, STDOUT_FILENO);
}

// The program stays in the terminal it was started from: there is no other
// console to move to.
bool TPosixConsole::FreeConsole() { return Fail(ENOTSUP); }
bool TPosixConsole::AllocConsole() { return Fail(ENOTSUP); }

THandle TPosixConsole::GetStdHandle(TStdHandle which) {
  if (which == StdOutputHandle) return FOutputFd;
  // Taking the input means keys are read from now on, without echo.
  EnterRawMode();
  return FInputFd;
}

bool TPosixConsole::SetConsoleTitle(const std::string &title) {
  if (!OutputIsTerminal()) return Fail(ENOTTY);
  if (!FTitleSaved) {
    // Pushes the terminal's own title, popped again at exit.
    if (!Send(Csi + "22;0t")) return false;
    FTitleSaved = true;
    RecordChanges();
  }
  return Send("\x1b]2;" + TitleForTerminal(title, GetOutputCP()) + "\x07");
}

bool TPosixConsole::GetScreenBufferInfo(THandle, TScreenBufferInfo &info) {
  FollowWindowChanges();
  // A change from here on is one this answer does not hold yet.
  WindowChanged = 0;
  TCoord size;
  if (!ReadWindowSize(size)) return false;
  info = TScreenBufferInfo{};
  info.Size = size;
  info.Window = {0, 0, static_cast<int16_t>(size.X - 1), static_cast<int16_t>(size.Y - 1)};
  info.MaximumWindowSize = size;
  return true;
}

bool TPosixConsole::SizeChanged(THandle) {
  if (!WindowChanged) return false;
  WindowChanged = 0;
  return true;
}

// Asks the terminal how large its window could be (CSI 19 t). A terminal
// that does not answer in time is taken to be as large as it is now.
TCoord TPosixConsole::GetLargestWindowSize(THandle) {
  TCoord current;
  if (!ReadWindowSize(current)) return TCoord{0, 0};
  if (!SameTerminal()) return current;
  EnterRawMode();
  FDecoder.WindowReport.reset();
  if (!Send(Csi + "19t")) return current;
  auto deadline = TKeyDecoder::TClock::now() + std::chrono::milliseconds(ReportWaitMs);
  while (!FDecoder.WindowReport && !FInputEnded) {
    auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - TKeyDecoder::TClock::now()).count();
    if (left <= 0) break;
    ReadAvailable(static_cast<int>(left));
  }
  return FDecoder.WindowReport ? *FDecoder.WindowReport : current;
}

bool TPosixConsole::SetScreenBufferSize(THandle, TCoord size) { return Resize(size); }

bool TPosixConsole::SetWindowInfo(THandle, bool absolute, const TSmallRect &window) {
  TCoord size;
  if (absolute) {
    size.X = static_cast<int16_t>(window.Right - window.Left + 1);
    size.Y = static_cast<int16_t>(window.Bottom - window.Top + 1);
  } else {
    // Relative edges move the current window's edges.
    if (!ReadWindowSize(size)) return false;
    size.X = static_cast<int16_t>(size.X + window.Right - window.Left);
    size.Y = static_cast<int16_t>(size.Y + window.Bottom - window.Top);
  }
  return Resize(size);
}

uint32_t TPosixConsole::GetOutputCP() { return FCodePages.GetOEMCP(); }

bool TPosixConsole::SetCursorInfo(THandle, uint32_t size, bool visible) {
  if (!OutputIsTerminal()) return Fail(ENOTTY);
  if (size < 1 || size > 100) return Fail(EINVAL);
  if (!Send(Csi + (visible ? "?25h" : "?25l"))) return false;
  FCursorHidden = !visible;
  RecordChanges();
  return true;
}

uint32_t TPosixConsole::GetLastError() { return FLastError; }

std::string TPosixConsole::GetLastErrorText() { return FLastErrorText; }

bool TPosixConsole::PeekInput(THandle, TInputRecord &event, uint32_t &count) {
  count = 0;
  EnterRawMode();
  ReadAvailable(0);
  FDecoder.Expire(TKeyDecoder::TClock::now());
  if (FDecoder.Events.empty()) return true;
  event = FDecoder.Events.front();
  count = 1;
  return true;
}

// Like the console's own read, waits until there is an event.
bool TPosixConsole::ReadInput(THandle, TInputRecord &event, uint32_t &count) {
  count = 0;
  EnterRawMode();
  for (;;) {
    FDecoder.Expire(TKeyDecoder::TClock::now());
    if (!FDecoder.Events.empty()) break;
    if (FInputEnded) return Fail(EIO);
    ReadAvailable(static_cast<int>(TKeyDecoder::EscapeWait.count()));
  }
  event = FDecoder.Events.front();
  FDecoder.Events.pop_front();
  count = 1;
  return true;
}

void TPosixConsole::Restore() {
  RestoreTerminal();
  FChanges.InputModeChanged = false;
  FChanges.UndoSequence.clear();
  FTitleSaved = FCursorHidden = FResized = false;
}

bool TPosixConsole::OutputIsTerminal() const { return isatty(FOutputFd) == 1; }

// The size answer comes back on the input, so asking only makes sense when
// input and output are the same terminal.
bool TPosixConsole::SameTerminal() const {
  struct stat in {};
  struct stat out {};
  return isatty(FInputFd) == 1 && OutputIsTerminal() && fstat(FInputFd, &in) == 0 &&
         fstat(FOutputFd, &out) == 0 && in.st_rdev == out.st_rdev;
}

bool TPosixConsole::ReadWindowSize(TCoord &size) {
  winsize ws{};
  if (ioctl(FOutputFd, TIOCGWINSZ, &ws) != 0) return Fail(errno);
  if (ws.ws_col == 0 || ws.ws_row == 0) return Fail(ENOTTY);
  size.X = static_cast<int16_t>(std::min<int>(ws.ws_col, 0x7fff));
  size.Y = static_cast<int16_t>(std::min<int>(ws.ws_row, 0x7fff));
  return true;
}

// Keys arrive one by one without echo; Ctrl+C still raises SIGINT.
void TPosixConsole::EnterRawMode() {
  if (FChanges.InputModeChanged || isatty(FInputFd) != 1) return;
  termios mode{};
  if (tcgetattr(FInputFd, &mode) != 0) return;
  FChanges.SavedInputMode = mode;
  mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  mode.c_lflag |= ISIG;
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  FChanges.InputModeChanged = true;
  FChanges.AppliedInputMode = mode;
  RecordChanges(); // before the change, so a signal in between still restores
  if (tcsetattr(FInputFd, TCSANOW, &mode) != 0) {
    FChanges.InputModeChanged = false;
    RecordChanges();
  }
}

// Asks the terminal for a new size (CSI 8 t) and reads back what it did:
// success only when the terminal really has the size asked for. The size
// found before the first change is asked back at exit, and only when
// something did change.
bool TPosixConsole::Resize(TCoord size) {
  if (!OutputIsTerminal()) return Fail(ENOTTY);
  if (size.X <= 0 || size.Y <= 0) return Fail(EINVAL);
  TCoord before;
  if (!ReadWindowSize(before)) return false;
  if (!FStartKnown) {
    FStartSize = before;
    FStartKnown = true;
  }
  if (SameSize(before, size)) return true;
  if (FRefused && SameSize(*FRefused, size) && SameSize(FKept, before))
    return FailKept(before, true);
  if (!Send(SizeSequence(size))) return false;
  TCoord now = before;
  auto deadline = TKeyDecoder::TClock::now() + std::chrono::milliseconds(ResizeWaitMs);
  while (ReadWindowSize(now) && !SameSize(now, size) && TKeyDecoder::TClock::now() < deadline)
    poll(nullptr, 0, 10);
  if (!SameSize(now, before)) {
    FResized = true;
    RecordChanges();
  }
  if (SameSize(now, size)) return true;
  FRefused = size;
  FKept = now;
  return FailKept(now, SameSize(now, before));
}

bool TPosixConsole::Send(const std::string &sequence) {
  const char *bytes = sequence.data();
  size_t left = sequence.size();
  while (left > 0) {
    ssize_t written = write(FOutputFd, bytes, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return Fail(written < 0 ? errno : EIO);
    bytes += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

bool TPosixConsole::Fail(int error) {
  FLastError = static_cast<uint32_t>(error);
  FLastErrorText.clear();
  return false;
}

// The terminal answered a resize with another size than the one asked for.
bool TPosixConsole::FailKept(TCoord size, bool unchanged) {
  Fail(EIO);
  FLastErrorText = std::string(unchanged ? "the terminal kept " : "the terminal made it ") +
                   std::to_string(size.X) + "x" + std::to_string(size.Y);
  return false;
}

void TPosixConsole::ReadAvailable(int waitMs) {
  if (FInputEnded) return;
  pollfd input{FInputFd, POLLIN, 0};
  int ready = poll(&input, 1, waitMs);
  if (ready <= 0) return;
  while (ready > 0) {
    char bytes[256];
    ssize_t got = read(FInputFd, bytes, sizeof bytes);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      FInputEnded = true;
      return;
    }
    FDecoder.Feed(bytes, static_cast<size_t>(got), TKeyDecoder::TClock::now());
    ready = poll(&input, 1, 0);
  }
}

// Cursor first, then size, then title: the order a reader of the terminal
// expects them undone.
void TPosixConsole::RecordChanges() {
  std::string undo;
  if (FCursorHidden) undo += Csi + "?25h";
  if (FResized) undo += SizeSequence(FStartSize);
  if (FTitleSaved) undo += Csi + "23;0t";
  FChanges.UndoSequence = undo;
  FChanges.SuspendSequence = FCursorHidden ? Csi + "?25h" : "";
  FChanges.ResumeSequence = FCursorHidden ? Csi + "?25l" : "";
  RecordTerminalChanges(FChanges);
}

// Keys are read and the terminal is driven through private copies of the
// terminal's descriptors, taken now, before any player exists: a library
// that closes or reuses descriptor 0 (mpv's video-output probe does, with
// no display) cannot take the keys away.
std::unique_ptr<IConsole> CreatePlatformConsole(ICodePages &codePages) {
  return std::make_unique<TPosixConsole>(PrivateCopy(STDIN_FILENO), PrivateCopy(STDOUT_FILENO),
                                         codePages, true);
}
