// Player log service: what the player and the libraries it loads have to
// say, kept off the console. Only the player's notices and the reason a run
// failed reach the program's log by default; verbose, every line does, marked
// "mpv: ", a few a second at most, with a count of the lines left out. A log
// file, when one is set, takes every line unthrottled.
#pragma once

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>

class ILoop;

using TLogLineProc = std::function<void(const std::string &)>;

class IPlayerLog {
public:
  virtual ~IPlayerLog() = default;
  // From now on the player's messages stay off the console (POSIX: standard
  // output and error are redirected into a pipe that the loop reads). With
  // `show` the notices become lines for `write`, and with `verbose` every
  // message does; without `show`, nothing is written.
  virtual void Capture(TLogLineProc write, bool show, bool verbose = false) = 0;
  // Every message from now on also goes, whole and unthrottled, to this
  // file. False, with the system's reason, when it cannot be written.
  virtual bool SetLogFile(const std::string &path, std::string &error) = 0;
  // A line the user should see whenever diagnostics are shown: how the
  // player plays (no sound, no picture). Each text once.
  virtual void Notice(const std::string &message) = 0;
  // One message of the player itself (libmpv's log). Main thread only.
  virtual void Write(const std::string &message) = 0;
  // Why the player could not load its file: shown at the end of a run that
  // fails, even when the messages are not.
  virtual void SetFailureReason(const std::string &message) = 0;
  // Passes on what is still unread (and, after a failed run, the failure
  // reason), then gives the standard descriptors back. Does nothing when
  // nothing is captured; never raises.
  virtual void Release(bool runFailed) = 0;
};

// The marking, cutting and rate limit shared by every platform; a platform
// that captures output overrides the two hooks and feeds what it reads.
class TPlayerLog : public IPlayerLog {
public:
  using TClock = std::chrono::steady_clock;
  static constexpr size_t MaxLineLength = 300;
  static constexpr int LinesPerWindow = 5;
  static constexpr std::chrono::milliseconds Window{1000};
  static constexpr const char *Mark = "mpv: ";

  explicit TPlayerLog(ILoop &loop) : FLoop(loop) {}
  ~TPlayerLog() override;

  void Capture(TLogLineProc write, bool show, bool verbose = false) override;
  bool SetLogFile(const std::string &path, std::string &error) override;
  void Notice(const std::string &message) override;
  void Write(const std::string &message) override;
  void SetFailureReason(const std::string &message) override;
  void Release(bool runFailed) override;

  // Bytes read from the captured descriptors; cut into lines here.
  void Feed(const char *bytes, size_t count);

protected:
  // Lines from now on are dropped (the writer may be gone).
  void ForgetWriter() { FWrite = nullptr; }
  virtual void BeginCapture() {}
  // Gives the descriptors back, then reads what was still waiting.
  virtual void EndCapture() {}

private:
  void Add(const std::string &text);
  void ToFile(const std::string &text);
  void WriteDroppedCount();
  void Emit(const std::string &line);

  ILoop &FLoop;
  TLogLineProc FWrite;
  bool FShow = false;
  bool FVerbose = false;
  std::unique_ptr<std::ofstream> FFile;
  std::set<std::string> FNoticed;
  bool FCapturing = false;
  // The line being read, cut at MaxLineLength; the rest of a longer line is
  // skipped up to its end.
  std::string FPartial;
  bool FSkipping = false;
  TClock::time_point FWindowStart;
  int FInWindow = 0;
  int FDropped = 0;
  uintptr_t FCountTimer = 0;
  std::string FLastShown;
  std::string FReason;
  bool FReasonShown = false;
};

// The line shown for a message: marked, control characters dropped, bytes
// outside ASCII as "?", cut at MaxLineLength characters of text.
std::string PlayerLogLine(const std::string &text);

std::unique_ptr<IPlayerLog> CreatePlatformPlayerLog(ILoop &loop);
