// The libmpv player behind both stand-in controls. Events are handled on the
// main thread only; mpv's wakeup callback just asks the loop to drain them.
#include "player/mpv/MpvEngine.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mpv/client.h>
#include <string>
#include <utility>
#include <vector>

#include "platform/Loop.h"
#include "platform/PlayerLog.h"
#include "player/FrameSignal.h"
#include "player/KeySignal.h"

namespace {
// The observation of time-pos: one change for every frame mpv shows.
constexpr uint64_t FrameObservation = 1;

// The message a key bound in mpv's window sends back, with the key's
// character code as its argument.
constexpr const char *KeyMessage = "cuestrip-key";

// The input.conf name of a key the console reads as `key`.
std::string MpvKeyName(char key) { return key == ' ' ? "SPACE" : std::string(1, key); }

// mpv's window takes the keyboard focus when it opens; the keys the listener
// acts on are bound there to a message back to the engine, the user's other
// bindings stay as they are. An mpv too old for keybind leaves them unbound.
void BindListenedKeys(mpv_handle *handle) {
  for (char key : ListenedKeys()) {
    const std::string name = MpvKeyName(key);
    const std::string command = std::string("script-message ") + KeyMessage + " " +
                                std::to_string(static_cast<unsigned char>(key));
    const char *args[] = {"keybind", name.c_str(), command.c_str(), nullptr};
    mpv_command(handle, args);
  }
}
} // namespace

namespace {

// mpv's warnings and errors, as events instead of terminal output.
constexpr const char *LogLevel = "warn";

} // namespace

std::shared_ptr<TMpvEngine> TMpvEngine::Create(ILoop *loop, IPlayerLog *log, bool playerSubs) {
  std::shared_ptr<TMpvEngine> engine(new TMpvEngine(loop, log));
  mpv_handle *handle = mpv_create();
  if (!handle) throw TEngineError{"mpv could not be created"};
  engine->FHandle = handle;
  // The user's mpv.conf (and MPV_HOME) apply, as a control honours its
  // system's settings; the rest makes mpv behave like a control: it waits
  // with no file, stays on the last frame, seeks exactly, and leaves the
  // keys to the program.
  const char *options[][2] = {{"config", "yes"},
                              {"idle", "yes"},
                              {"keep-open", "yes"},
                              {"input-default-bindings", "no"},
                              {"hr-seek", "yes"}};
  for (auto &option : options)
    mpv_set_option_string(handle, option[0], option[1]);
  // The console shows the subtitles; mpv drawing them too (a file beside
  // the video, or a track of its own) would show each line twice.
  if (!playerSubs) {
    mpv_set_option_string(handle, "sub-auto", "no");
    mpv_set_option_string(handle, "sid", "no");
  }
  // Asked before the start, so the messages of the start itself come too.
  mpv_request_log_messages(handle, LogLevel);
  int status = mpv_initialize(handle);
  if (status < 0) throw TEngineError{std::string("mpv: ") + mpv_error_string(status)};
  mpv_set_wakeup_callback(handle, OnWakeup, engine.get());
  // Keys typed in the window reach the listener through the loop.
  if (loop) BindListenedKeys(handle);
  // With a loop to pass the news on and a listener for it, each frame shown
  // is reported while the listener wants it (time-pos is observed only then:
  // an observed property costs mpv work on every frame).
  if (loop && HasFrameListener()) {
    std::weak_ptr<TMpvEngine> self = engine;
    SetFrameSwitch(engine.get(), [self](bool on) {
      auto live = self.lock();
      if (!live || live->FShutDown) return;
      if (on)
        mpv_observe_property(live->FHandle, FrameObservation, "time-pos", MPV_FORMAT_NONE);
      else
        mpv_unobserve_property(live->FHandle, FrameObservation);
    });
  }
  return engine;
}

TMpvEngine::TMpvEngine(ILoop *loop, IPlayerLog *log) : FLoop(loop), FLog(log) {}

TMpvEngine::~TMpvEngine() {
  ClearFrameSwitch(this);
  if (!FHandle) return;
  mpv_set_wakeup_callback(FHandle, nullptr, nullptr);
  mpv_terminate_destroy(FHandle);
}

// Runs on one of mpv's threads: no mpv call here, only a note to the loop.
void TMpvEngine::OnWakeup(void *data) {
  auto *engine = static_cast<TMpvEngine *>(data);
  if (!engine->FLoop || engine->FDrainPosted.exchange(true)) return;
  std::weak_ptr<TMpvEngine> self = engine->weak_from_this();
  engine->FLoop->Post([self] {
    auto live = self.lock();
    if (!live) return;
    live->FDrainPosted = false;
    live->FInLoopDrain = true;
    live->DrainEvents();
    live->FInLoopDrain = false;
    // Outside the drain now: the listener may call the control.
    if (std::exchange(live->FFrameShown, false)) NotifyFrameShown();
  });
}

void TMpvEngine::Load(const std::string &fileName, bool autoPlay) {
  DrainEvents(); // the end of an earlier file must not count against this one
  FFileName = fileName;
  FLoading = true;
  FFileLoaded = FReady = FStopped = false;
  FLoadError.clear();
  FFirstError.clear();
  FAwaitingReason = false;
  FPendingSeek.reset();
  SetFlag("pause", !autoPlay);
  const char *args[] = {"loadfile", fileName.c_str(), nullptr};
  int status = mpv_command(FHandle, args);
  if (status < 0) {
    FLoading = false;
    FLoadError = "Cannot play " + fileName + ": " + mpv_error_string(status);
  }
}

void TMpvEngine::RequireFile() {
  DrainEvents();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(LoadWaitSeconds);
  while (FLoading && !FReady && FLoadError.empty() && !FShutDown) {
    double left =
        std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) Fail("Timed out loading " + FFileName);
    mpv_event *event = mpv_wait_event(FHandle, left);
    if (event->event_id != MPV_EVENT_NONE) Handle(*event);
  }
  if (!FLoadError.empty()) {
    // mpv may say why only after the end of the file: a moment for that.
    auto until =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(ReasonWaitSeconds);
    DrainEvents();
    while (FAwaitingReason && !FShutDown) {
      double left = std::chrono::duration<double>(until - std::chrono::steady_clock::now()).count();
      if (left <= 0) break;
      mpv_event *event = mpv_wait_event(FHandle, left);
      if (event->event_id != MPV_EVENT_NONE) Handle(*event);
    }
    Fail(FLoadError);
  }
  if (!FReady) Fail(FFileName.empty() ? "No file is open" : "Cannot play " + FFileName);
}

TEngineState TMpvEngine::State() {
  DrainEvents();
  // A load that failed stays failed until another file is loaded: the state
  // says so with mpv's reason, as the calls that need the file do. A player
  // whose window was closed just reports no file.
  if (!FLoadError.empty() && !FShutDown) RequireFile();
  if (!FReady) return TEngineState::NotReady;
  // At the end, keep-open holds the last frame paused: that is stopped.
  if (FStopped || GetFlag("eof-reached", false)) return TEngineState::Stopped;
  if (!GetFlag("pause", false)) return TEngineState::Playing;
  return AtLastFrame() ? TEngineState::Stopped : TEngineState::Paused;
}

// A seek past the end while paused lands on the last frame without mpv
// calling it the end; the video is over all the same.
bool TMpvEngine::AtLastFrame() {
  double seconds = 0, duration = 0, fps = 0;
  if (FSeekTarget) return false;
  if (mpv_get_property(FHandle, "time-pos", MPV_FORMAT_DOUBLE, &seconds) < 0 ||
      mpv_get_property(FHandle, "duration", MPV_FORMAT_DOUBLE, &duration) < 0 || duration <= 0)
    return false;
  if (mpv_get_property(FHandle, "container-fps", MPV_FORMAT_DOUBLE, &fps) < 0 || fps <= 0) fps = 25;
  return seconds >= duration - 1.5 / fps;
}

double TMpvEngine::Time() {
  DrainEvents();
  if (!FLoadError.empty()) Fail(FLoadError);
  if (!FReady) return FPendingSeek.value_or(0);
  // Until mpv has finished a seek it still reports the old position; like a
  // control, report the position asked for, so a second seek builds on it.
  if (FSeekTarget) return *FSeekTarget;
  double seconds = 0;
  if (mpv_get_property(FHandle, "time-pos", MPV_FORMAT_DOUBLE, &seconds) < 0) return 0;
  return seconds;
}

double TMpvEngine::FrameRate() {
  RequireFile();
  double fps = 0;
  if (mpv_get_property(FHandle, "container-fps", MPV_FORMAT_DOUBLE, &fps) >= 0 && fps > 0)
    return fps;
  if (mpv_get_property(FHandle, "estimated-vf-fps", MPV_FORMAT_DOUBLE, &fps) >= 0 && fps > 0)
    return fps;
  Fail(FFileName + " has no video frame rate");
}

void TMpvEngine::SeekTo(double seconds) {
  DrainEvents();
  if (!FLoadError.empty()) Fail(FLoadError);
  if (!(seconds > 0)) seconds = 0; // also NaN
  if (!FFileLoaded) {
    FPendingSeek = seconds;
    return;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  Command({"seek", text, "absolute+exact"});
  FSeekTarget = seconds;
}

void TMpvEngine::Play() {
  DrainEvents();
  if (!FLoadError.empty()) Fail(FLoadError);
  FStopped = false;
  SetFlag("pause", false);
}

void TMpvEngine::Pause() {
  DrainEvents();
  if (!FLoadError.empty()) Fail(FLoadError);
  SetFlag("pause", true);
}

// mpv's own stop would unload the file and lose the position, so a stop is
// a pause at the start with the engine's own stopped flag.
void TMpvEngine::Stop() {
  Pause();
  SeekTo(0);
  FStopped = true;
}

void TMpvEngine::SetFullScreen(bool on) { SetFlag("fullscreen", on); }

void TMpvEngine::DrainEvents() {
  while (FHandle && !FShutDown) {
    mpv_event *event = mpv_wait_event(FHandle, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    Handle(*event);
  }
}

void TMpvEngine::Handle(const mpv_event &event) {
  switch (event.event_id) {
  case MPV_EVENT_START_FILE:
    FSeekTarget.reset();
    FFirstError.clear();
    FAwaitingReason = false;
    FLoading = true;
    FFileLoaded = FReady = false;
    FLoadError.clear();
    break;
  case MPV_EVENT_FILE_LOADED: {
    FFileLoaded = true;
    // A file with neither picture nor sound is nothing to play; a sound
    // file (a radio play) plays, and the log says it has no picture.
    const bool hasVideo = HasTrack("vid"), hasAudio = HasTrack("aid");
    if (!hasVideo && !hasAudio) {
      FLoadError = "Cannot play " + FFileName + ": no video or audio in file";
      if (FLog) FLog->SetFailureReason("no video or audio stream in " + FFileName);
      FLoading = FFileLoaded = false;
      break;
    }
    if (!hasVideo && FLog) FLog->Notice("no picture in " + FFileName + ", playing sound only");
    if (FPendingSeek) {
      double seconds = *FPendingSeek;
      FPendingSeek.reset();
      char text[64];
      std::snprintf(text, sizeof text, "%.6f", seconds);
      const char *args[] = {"seek", text, "absolute+exact", nullptr};
      mpv_command(FHandle, args);
    }
    break;
  }
  case MPV_EVENT_PLAYBACK_RESTART:
    // time-pos reads 0 until the file is loaded; only a restart after the
    // load means the position is real.
    if (FFileLoaded) {
      if (!FReady) NoticeMissingOutputs();
      FReady = true;
      FLoading = false;
    }
    FSeekTarget.reset();
    break;
  case MPV_EVENT_LOG_MESSAGE: {
    auto *message = static_cast<mpv_event_log_message *>(event.data);
    if (!message || !message->text) break;
    std::string text = message->text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
      text.pop_back();
    if (FLog) FLog->Write(text);
    if (message->log_level > MPV_LOG_LEVEL_ERROR || text.empty() || !FFirstError.empty()) break;
    FFirstError = text;
    if (FAwaitingReason && FLog) FLog->SetFailureReason(text);
    FAwaitingReason = false;
    break;
  }
  case MPV_EVENT_END_FILE: {
    auto *end = static_cast<mpv_event_end_file *>(event.data);
    if (end && end->reason == MPV_END_FILE_REASON_ERROR) {
      FLoadError = "Cannot play " + FFileName + ": " + mpv_error_string(end->error);
      // mpv's own words say best why; its error code stands in for them.
      if (FLog)
        FLog->SetFailureReason(FFirstError.empty() ? mpv_error_string(end->error) : FFirstError);
      FAwaitingReason = FFirstError.empty();
    }
    FLoading = FFileLoaded = FReady = false;
    break;
  }
  case MPV_EVENT_PROPERTY_CHANGE:
    // The listener runs from the loop, never inside this drain: it calls the
    // control, which drains again. A drain the loop runs tells it when done;
    // one inside a control call leaves it to the loop.
    if (event.reply_userdata != FrameObservation || !FLoop || !HasFrameListener()) break;
    if (FInLoopDrain) {
      FFrameShown = true;
    } else if (!FFramePosted) {
      FFramePosted = true;
      std::weak_ptr<TMpvEngine> self = weak_from_this();
      FLoop->Post([self] {
        auto live = self.lock();
        if (!live) return;
        live->FFramePosted = false;
        NotifyFrameShown();
      });
    }
    break;
  case MPV_EVENT_CLIENT_MESSAGE: {
    // A bound key: handed on from the loop, never inside this drain, as the
    // listener calls the control.
    auto *message = static_cast<mpv_event_client_message *>(event.data);
    if (!FLoop || !message || message->num_args != 2 || std::string(message->args[0]) != KeyMessage)
      break;
    const char key = static_cast<char>(std::atoi(message->args[1]));
    FLoop->Post([key] { NotifyKey(key); });
    break;
  }
  case MPV_EVENT_SHUTDOWN:
    // The user closed mpv's window: the player is gone for good.
    FShutDown = true;
    FLoadError = "The player has been closed";
    FLoading = FFileLoaded = FReady = false;
    break;
  default: break;
  }
}

void TMpvEngine::Command(std::initializer_list<const char *> args) {
  std::vector<const char *> list(args);
  list.push_back(nullptr);
  int status = mpv_command(FHandle, list.data());
  if (status < 0) Fail(std::string("mpv: ") + mpv_error_string(status));
}

void TMpvEngine::SetFlag(const char *name, bool on) {
  int flag = on ? 1 : 0;
  mpv_set_property(FHandle, name, MPV_FORMAT_FLAG, &flag);
}

// Once a file plays: a sound track with no sound device, or a picture with
// no window, is worth one line to the user; everything else mpv says is not.
void TMpvEngine::NoticeMissingOutputs() {
  if (!FLog) return;
  if (HasTrack("aid") && !HasProperty("current-ao"))
    FLog->Notice("no audio output, playing silently");
  if (HasTrack("vid") && !HasProperty("current-vo"))
    FLog->Notice("no video output, playing without picture");
}

bool TMpvEngine::HasProperty(const char *property) {
  char *value = mpv_get_property_string(FHandle, property);
  const bool present = value && *value;
  mpv_free(value);
  return present;
}

// Whether mpv selected a track of this kind ("vid", "aid").
bool TMpvEngine::HasTrack(const char *property) {
  char *track = mpv_get_property_string(FHandle, property);
  const bool selected = track && std::string(track) != "no";
  mpv_free(track);
  return selected;
}

bool TMpvEngine::GetFlag(const char *name, bool fallback) {
  int flag = 0;
  if (mpv_get_property(FHandle, name, MPV_FORMAT_FLAG, &flag) < 0) return fallback;
  return flag != 0;
}

void TMpvEngine::Fail(const std::string &message) { throw TEngineError{message}; }
