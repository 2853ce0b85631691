// Puts the terminal back as the program found it on every way out: normal
// end, an uncaught failure, exit() and the signals SIGINT, SIGTERM, SIGHUP,
// SIGQUIT; also while the program is suspended (Ctrl+Z).
#pragma once

#include <string>
#include <termios.h>

// What must be undone. The console keeps this up to date as it changes the
// terminal; restoring applies it once.
struct TTerminalChanges {
  int InputFd = -1;
  bool InputModeChanged = false;
  termios SavedInputMode{};
  int OutputFd = -1;
  // Control sequences that undo the output side (cursor, size, title).
  std::string UndoSequence;
  // While suspended only the input mode and the cursor are given back; these
  // take them back again when the program continues.
  termios AppliedInputMode{};
  std::string SuspendSequence;
  std::string ResumeSequence;
};

// Records the changes to undo; installs the exit and signal hooks the first
// time. Safe against the signals arriving while it runs.
void RecordTerminalChanges(const TTerminalChanges &changes);
// Undoes the recorded changes now (once) and forgets them.
void RestoreTerminal();

// Standard output and error are captured; these copies of the originals are
// put back on descriptors 1 and 2 by the exit, failure and signal hooks, so
// whatever is written on the way out reaches the terminal. -1: nothing.
void RecordCapturedStreams(int savedOutput, int savedError);
// The capture has given the streams back itself.
void ForgetCapturedStreams();
