// The console service over the terminal the program runs in: no new console
// window, title and size through xterm control sequences, raw key input.
#pragma once

#include <optional>
#include <string>
#include <termios.h>

#include "platform/CodePages.h"
#include "platform/Console.h"
#include "platform/posix/KeyDecoder.h"
#include "platform/posix/TerminalRestore.h"

class TPosixConsole : public IConsole {
public:
  // The largest-window question waits this long for the terminal's answer.
  static constexpr int ReportWaitMs = 100;
  // A resize is read back (TIOCGWINSZ) for up to this long; many terminals
  // ignore the request (tmux; xterm without allowWindowOps).
  static constexpr int ResizeWaitMs = 250;

  // The console code page is the OEM code page of `codePages`. With
  // `ownsDescriptors` the console closes both descriptors when it is
  // destroyed, after the terminal has been restored through them.
  TPosixConsole(int inputFd, int outputFd, ICodePages &codePages, bool ownsDescriptors = false);
  ~TPosixConsole() override;

  bool FreeConsole() override;
  bool AllocConsole() override;
  THandle GetStdHandle(TStdHandle which) override;
  bool SetConsoleTitle(const std::string &title) override;
  bool GetScreenBufferInfo(THandle output, TScreenBufferInfo &info) override;
  // True once after each SIGWINCH, which the console follows from the first
  // size it gives.
  bool SizeChanged(THandle output) override;
  TCoord GetLargestWindowSize(THandle output) override;
  bool SetScreenBufferSize(THandle output, TCoord size) override;
  bool SetWindowInfo(THandle output, bool absolute, const TSmallRect &window) override;
  uint32_t GetOutputCP() override;
  bool SetCursorInfo(THandle output, uint32_t size, bool visible) override;
  uint32_t GetLastError() override;
  std::string GetLastErrorText() override;
  bool PeekInput(THandle input, TInputRecord &event, uint32_t &count) override;
  bool ReadInput(THandle input, TInputRecord &event, uint32_t &count) override;

  // Undoes every change made to the terminal; also done on destruction.
  void Restore();

private:
  bool OutputIsTerminal() const;
  bool SameTerminal() const;
  bool ReadWindowSize(TCoord &size);
  void EnterRawMode();
  bool Resize(TCoord size);
  bool Send(const std::string &sequence);
  bool Fail(int error);
  bool FailKept(TCoord size, bool unchanged);
  // Reads what the input has without waiting, or waits up to `waitMs`.
  void ReadAvailable(int waitMs);
  void RecordChanges();

  int FInputFd;
  int FOutputFd;
  ICodePages &FCodePages;
  bool FOwnsDescriptors;
  uint32_t FLastError = 0;
  std::string FLastErrorText;
  TKeyDecoder FDecoder;
  bool FInputEnded = false;

  TTerminalChanges FChanges;
  bool FTitleSaved = false;
  bool FCursorHidden = false;
  bool FResized = false; // the size really changed: it is asked back at exit
  bool FStartKnown = false;
  TCoord FStartSize;
  // The last size asked for that the terminal did not take, and the size it
  // kept then; asking again for the same is refused without another wait.
  std::optional<TCoord> FRefused;
  TCoord FKept;
};
