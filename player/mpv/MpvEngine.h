// One libmpv player instance with the state a video control reports: loading,
// ready, playing, paused, stopped (by request or at the end), failed.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

struct mpv_handle;
struct mpv_event;
class IPlayerLog;
class ILoop;

enum class TEngineState { NotReady, Stopped, Playing, Paused };

// Raised by the engine when a request cannot be served; the controls pass
// the message on as the control's own error.
struct TEngineError {
  std::string Message;
};

class TMpvEngine : public std::enable_shared_from_this<TMpvEngine> {
public:
  // How long a call that needs the file waits for a load in progress.
  static constexpr double LoadWaitSeconds = 10.0;
  // How long a failed load waits for mpv's message saying why.
  static constexpr double ReasonWaitSeconds = 0.5;

  // `loop` serves mpv's wake-ups on the main thread; without one (tests), the
  // events are drained at every call instead. mpv's warnings and errors go
  // to `log`, never to the terminal.
  // Without `playerSubs` mpv draws no subtitles of its own: the console
  // shows them.
  static std::shared_ptr<TMpvEngine> Create(ILoop *loop, IPlayerLog *log = nullptr,
                                            bool playerSubs = false);
  ~TMpvEngine();
  TMpvEngine(const TMpvEngine &) = delete;
  TMpvEngine &operator=(const TMpvEngine &) = delete;

  // Starts loading; paused when `autoPlay` is false. The outcome shows later
  // through State and the errors of the calls that need the file.
  void Load(const std::string &fileName, bool autoPlay);
  const std::string &FileName() const { return FFileName; }
  // Waits for the load in progress to end; raises its error if it failed.
  void RequireFile();

  TEngineState State();
  // Seconds; 0 until the file is ready.
  double Time();
  // The video's own frame rate; raises when the file has none.
  double FrameRate();
  // An exact seek to an absolute time, clamped at 0; remembered until the
  // file is loaded.
  void SeekTo(double seconds);
  void Play();
  void Pause();
  // Paused at the start, and counted as stopped until played again.
  void Stop();
  void SetFullScreen(bool on);

  // Handles every event mpv has queued. Main thread only.
  void DrainEvents();

private:
  TMpvEngine(ILoop *loop, IPlayerLog *log);
  static void OnWakeup(void *data);
  void Handle(const mpv_event &event);
  bool AtLastFrame();
  void Command(std::initializer_list<const char *> args);
  void SetFlag(const char *name, bool on);
  bool GetFlag(const char *name, bool fallback);
  bool HasTrack(const char *property);
  bool HasProperty(const char *property);
  void NoticeMissingOutputs();
  [[noreturn]] void Fail(const std::string &message);

  mpv_handle *FHandle = nullptr;
  ILoop *FLoop = nullptr;
  IPlayerLog *FLog = nullptr;
  // mpv's first error message since the load began: why a load failed. mpv
  // hands out its log messages after its events, so the reason may come
  // after the end of the file; until it does, the error code stands in.
  std::string FFirstError;
  bool FAwaitingReason = false;
  std::atomic<bool> FDrainPosted{false};
  // A frame report waits in the loop; quick frames share it.
  bool FFramePosted = false;
  // The loop runs a drain now; a frame shown meanwhile is reported after it.
  bool FInLoopDrain = false;
  bool FFrameShown = false;

  std::string FFileName;
  bool FLoading = false;
  bool FFileLoaded = false;
  bool FReady = false;
  bool FStopped = false;
  // mpv repeats its shutdown event forever; after it, nothing is read.
  bool FShutDown = false;
  std::string FLoadError;
  std::optional<double> FPendingSeek;
  // The target of a seek mpv has not finished yet.
  std::optional<double> FSeekTarget;
};
