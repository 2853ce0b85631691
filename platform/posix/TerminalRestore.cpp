// Terminal restoration: the undo record lives in static storage so that a
// signal handler can apply it with async-signal-safe calls only.
#include "platform/posix/TerminalRestore.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct TUndoRecord {
  volatile sig_atomic_t Active = 0;
  int InputFd = -1;
  bool InputModeChanged = false;
  termios SavedInputMode{};
  int OutputFd = -1;
  char Sequence[256] = {};
  size_t SequenceLength = 0;
};

TUndoRecord Undo;
bool HooksInstalled = false;
std::terminate_handler PreviousTerminate = nullptr;

void WriteAllSignalSafe(int fd, const char *bytes, size_t count) {
  while (count > 0) {
    ssize_t written = write(fd, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    bytes += written;
    count -= static_cast<size_t>(written);
  }
}

// Only async-signal-safe calls: write and tcsetattr.
void ApplyUndo() {
  if (!Undo.Active) return;
  Undo.Active = 0;
  if (Undo.OutputFd >= 0 && Undo.SequenceLength > 0)
    WriteAllSignalSafe(Undo.OutputFd, Undo.Sequence, Undo.SequenceLength);
  if (Undo.InputModeChanged) tcsetattr(Undo.InputFd, TCSANOW, &Undo.SavedInputMode);
}

// Restores, then dies by the same signal so the parent sees how it ended.
void OnEndingSignal(int signal) {
  int savedErrno = errno;
  ApplyUndo();
  std::signal(signal, SIG_DFL);
  raise(signal);
  errno = savedErrno;
}

void OnTerminate() {
  ApplyUndo();
  if (PreviousTerminate) PreviousTerminate();
  std::abort();
}

void InstallHooks() {
  if (HooksInstalled) return;
  HooksInstalled = true;
  std::atexit(ApplyUndo);
  PreviousTerminate = std::set_terminate(OnTerminate);
  for (int signal : EndingSignals) {
    struct sigaction previous {};
    sigaction(signal, nullptr, &previous);
    // A signal the program was started with ignored (nohup) stays ignored.
    if (previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

// Keeps the ending signals away while the record is half written.
class TSignalsHeld {
public:
  TSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : EndingSignals)
      sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &FPrevious);
  }
  ~TSignalsHeld() { pthread_sigmask(SIG_SETMASK, &FPrevious, nullptr); }

private:
  sigset_t FPrevious;
};

} // namespace

void RecordTerminalChanges(const TTerminalChanges &changes) {
  TSignalsHeld held;
  InstallHooks();
  Undo.InputFd = changes.InputFd;
  Undo.InputModeChanged = changes.InputModeChanged;
  Undo.SavedInputMode = changes.SavedInputMode;
  Undo.OutputFd = changes.OutputFd;
  Undo.SequenceLength = std::min(changes.UndoSequence.size(), sizeof Undo.Sequence);
  std::memcpy(Undo.Sequence, changes.UndoSequence.data(), Undo.SequenceLength);
  Undo.Active = changes.InputModeChanged || Undo.SequenceLength > 0;
}

void RestoreTerminal() {
  TSignalsHeld held;
  ApplyUndo();
}
