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

constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

struct TUndoRecord {
  volatile sig_atomic_t Active = 0;
  int InputFd = -1;
  bool InputModeChanged = false;
  termios SavedInputMode{};
  int OutputFd = -1;
  char Sequence[256] = {};
  size_t SequenceLength = 0;
  termios AppliedInputMode{};
  char Suspend[32] = {};
  size_t SuspendLength = 0;
  char Resume[32] = {};
  size_t ResumeLength = 0;
};

TUndoRecord Undo;
// Copies of the captured descriptors 1 and 2, or -1.
volatile sig_atomic_t SavedStreams[2] = {-1, -1};
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

void GiveStreamsBack() {
  for (int i = 0; i < 2; ++i) {
    const int saved = SavedStreams[i];
    SavedStreams[i] = -1;
    if (saved >= 0) dup2(saved, i + 1);
  }
}

void OnExit() {
  GiveStreamsBack();
  ApplyUndo();
}

// While held, a terminal change made from outside the foreground (the shell
// took the terminal back at a stop) is made at once: SIGTTOU would stop the
// program inside its handler, where nothing continues it.
class TTerminalSignalsHeld {
public:
  TTerminalSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGTTOU);
    sigaddset(&held, SIGTTIN);
    pthread_sigmask(SIG_BLOCK, &held, &FPrevious);
  }
  ~TTerminalSignalsHeld() { pthread_sigmask(SIG_SETMASK, &FPrevious, nullptr); }

private:
  sigset_t FPrevious;
};

// Restores, then dies by the same signal so the parent sees how it ended.
void OnEndingSignal(int signal) {
  int savedErrno = errno;
  TTerminalSignalsHeld held;
  OnExit();
  std::signal(signal, SIG_DFL);
  raise(signal);
  errno = savedErrno;
}

// Ctrl+Z: the shell gets the terminal as it was while the program is
// stopped, and the program gets its own settings back when it continues. The
// stop itself is the default one, which the system discards where nobody
// could continue the program (an orphaned process group).
void OnSuspend(int signal) {
  int savedErrno = errno;
  TTerminalSignalsHeld held;
  if (Undo.Active) {
    if (Undo.OutputFd >= 0) WriteAllSignalSafe(Undo.OutputFd, Undo.Suspend, Undo.SuspendLength);
    if (Undo.InputModeChanged) tcsetattr(Undo.InputFd, TCSANOW, &Undo.SavedInputMode);
  }
  struct sigaction ours {};
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(signal, &standard, &ours);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, signal);
  raise(signal);
  pthread_sigmask(SIG_UNBLOCK, &stop, nullptr); // stops here until continued
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  sigaction(signal, &ours, nullptr);
  if (Undo.Active) {
    if (Undo.InputModeChanged) tcsetattr(Undo.InputFd, TCSANOW, &Undo.AppliedInputMode);
    if (Undo.OutputFd >= 0) WriteAllSignalSafe(Undo.OutputFd, Undo.Resume, Undo.ResumeLength);
  }
  errno = savedErrno;
}

// The runtime's own message about the failure follows, on standard error.
void OnTerminate() {
  OnExit();
  if (PreviousTerminate) PreviousTerminate();
  std::abort();
}

void InstallHandler(int signal, void (*handler)(int)) {
  struct sigaction previous {};
  sigaction(signal, nullptr, &previous);
  // A signal the program was started with ignored (nohup) stays ignored.
  if (previous.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

void InstallHooks() {
  if (HooksInstalled) return;
  HooksInstalled = true;
  std::atexit(OnExit);
  PreviousTerminate = std::set_terminate(OnTerminate);
  for (int signal : EndingSignals)
    InstallHandler(signal, OnEndingSignal);
  InstallHandler(SIGTSTP, OnSuspend);
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
  Undo.AppliedInputMode = changes.AppliedInputMode;
  Undo.SuspendLength = std::min(changes.SuspendSequence.size(), sizeof Undo.Suspend);
  std::memcpy(Undo.Suspend, changes.SuspendSequence.data(), Undo.SuspendLength);
  Undo.ResumeLength = std::min(changes.ResumeSequence.size(), sizeof Undo.Resume);
  std::memcpy(Undo.Resume, changes.ResumeSequence.data(), Undo.ResumeLength);
  Undo.Active = changes.InputModeChanged || Undo.SequenceLength > 0;
}

void RestoreTerminal() {
  TSignalsHeld held;
  ApplyUndo();
}

void RecordCapturedStreams(int savedOutput, int savedError) {
  TSignalsHeld held;
  InstallHooks();
  SavedStreams[0] = savedOutput;
  SavedStreams[1] = savedError;
}

void ForgetCapturedStreams() {
  TSignalsHeld held;
  SavedStreams[0] = -1;
  SavedStreams[1] = -1;
}
