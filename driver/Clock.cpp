// The playback clock: the message loop, the timer tick that keeps the
// subtitles in step with the player and hands the typed keys to HandleKey
// (keys typed in the player's window come on their own), and the one-shot
// wake that writes an entry at the moment it falls due.
#include <algorithm>
#include <cmath>

#include "base/Errors.h"
#include "driver/Driver.h"
#include "driver/SubtitleLookup.h"
#include "player/FrameSignal.h"

namespace {

// A wake further ahead than this is left to the ticks to plan again.
constexpr double MaxWakeAheadSeconds = 60;
// How long before a due moment frame reports are asked for: a few frames.
constexpr double FramesAheadSeconds = 0.1;

// Writes every subtitle due at the player's position.
void PresentSubtitles(TDriver &driver) {
  driver.LastPosition = driver.Player->GetPosition();
  driver.PresentAt(driver.LastPosition, driver.Services.Loop.Now());
  driver.PlanWake();
  driver.NoteState(driver.LastPosition);
}

// Consumes every waiting console event without ever waiting for one.
void DrainConsoleInput(TDriver &driver) {
  IConsole &console = driver.Services.Console;
  for (;;) {
    TInputRecord event;
    uint32_t count = 0;
    if (!console.PeekInput(driver.ConsoleInput, event, count) || count == 0) return;
    // Only an event that was really taken off the queue is acted on; a
    // failed read would otherwise repeat the same key in every tick.
    if (!console.ReadInput(driver.ConsoleInput, event, count) || count == 0) return;
    driver.HandleKey(event);
  }
}

// Runs one half of a tick. A failure ends that half silently; what it did
// before the failure stays done.
template <class F> void RunSilently(F half) {
  try {
    half();
  } catch (const TProcessEnd &) {
    throw;
  } catch (...) {
  }
}

} // namespace

void TDriver::RunMessageLoop() {
  TMessage message;
  // GetMessage's error result cannot arise here; should it, the loop ends
  // rather than spin on it.
  while (Services.Loop.GetMessage(message) > 0) {
    Services.Loop.TranslateMessage(message);
    Services.Loop.DispatchMessage(message);
  }
}

// Each half catches its own failures, so a player that fails in every tick
// cannot keep the keys (above all "q") from being read.
void TDriver::TimerTick() {
  if (!PlayingStarted)
    AwaitPlayback();
  else
    RunSilently([this] { PresentSubtitles(*this); });
  RunSilently([this] { DrainConsoleInput(*this); });
}

// Until playback begins, the tick only asks the player's state. A player
// that fails then cannot play the file at all (it is no video, or broken):
// the run ends with the player's error rather than wait on a blank screen.
void TDriver::AwaitPlayback() {
  int32_t state = vsNotReady;
  try {
    state = Player->GetState();
  } catch (Exception &error) {
    if (FileLooksLikeVideo(Services.Files, ScriptPath))
      error.Message += "\n" + ScriptPath + " looks like a video; the subtitle file comes first";
    throw;
  }
  if (state != vsNotReady) PlayingStarted = true;
  Predictor.SetPlaying(state == vsPlaying);
}

// Keys from the player's window come between ticks, from the loop: like the
// tick's, a failing command ends silently and leaves the loop running.
void TDriver::PlayerWindowKey(char key) {
  TInputRecord event;
  event.EventType = KeyEvent;
  event.KeyDown = 1;
  event.RepeatCount = 1;
  event.AsciiChar = key;
  RunSilently([this, &event] { HandleKey(event); });
}

// Players report the frame on screen: positions move in steps of one video
// frame, which is one position unit when the script counts frames and more
// when it counts finer units (milliseconds). A video of fewer than 20 frames
// a second is taken for 20; predictions stay on the safe side, only a pause
// may be guessed too soon.
double TDriver::PositionStep(double rate) {
  constexpr double SlowestVideoRate = 20;
  return std::isfinite(rate) ? std::max(1.0, rate / SlowestVideoRate) : 1;
}

// The subtitle step of every reading, the tick's and the wake's alike: the
// cursor moves to the position and every entry now due is written.
void TDriver::PresentAt(double position, double moment) {
  const double scriptPosition = Timing.ToScript(position, Script->FrameRate);
  const int64_t target = Script->TargetOf(scriptPosition, 0);
  const bool firstReading = std::isnan(LastReading);
  const bool joins = JoinsAt(position, moment);
  // A shift made later never takes the cursor back by itself, only the
  // player's position moving back does: nothing is shown again without a
  // seek. With no shift, a position that did not move back never gives a
  // target behind the cursor, so the ticks are as they always were.
  const bool movedBack = position < LastReading;
  LastReading = position;
  // The player moved since the last short wake: it no longer stalls there.
  if (position != ShortPosition) ShortWakes = 0;
  if (movedBack || target >= static_cast<int64_t>(Script->CursorFrame))
    Script->AdvanceTo(scriptPosition, 0);
  Predictor.Update(position, moment);
  // Before the script's start (a delay, or a negative KEEPAHEAD) nothing is
  // due, not even an entry at frame 0.
  if (joins) WriteJoinLine(position, firstReading);
  if (target < 0) return;
  if (joins) {
    FollowConsoleWidth();
    return PresentInEffect();
  }
  while (Script->NextDue(CurrentEntry)) {
    FollowConsoleWidth();
    WriteSubtitle(CurrentEntry);
  }
}

// Sets the one-shot wake for the predicted moment the next entry falls due;
// none while the player does not play or nothing is left to come. Frame
// reports are asked for only shortly before that moment: a wake further
// ahead first comes early, without reading anything, to ask for them.
void TDriver::PlanWake() {
  CancelWake();
  uint32_t frame = 0;
  double wait = TPositionPredictor::Never;
  if (!Settings.TickOnly && Predictor.Playing() && Script->NextPending(frame)) {
    WakeDue = Timing.ToPlayer(Script->PositionDue(frame), Script->FrameRate);
    wait = Predictor.MomentOf(WakeDue) - Services.Loop.Now();
  }
  const bool near = wait <= FramesAheadSeconds;
  WantFrames(near);
  if (!(wait <= MaxWakeAheadSeconds)) return;
  if (!near) {
    const auto earlyMs = static_cast<uint32_t>(std::ceil((wait - FramesAheadSeconds) * 1000));
    WakeId = Services.Loop.SetOneShotTimer(earlyMs, [this] {
      WakeId = 0;
      PlanWake();
    });
    return;
  }
  // Never closer than 1 ms after the last wake, and further apart while the
  // player keeps falling short, so a stalled player is not asked in a spin.
  const double least = std::min<double>(TimerPeriodMs, 1 << std::min(ShortWakes, 8)) / 1000;
  const auto delayMs = static_cast<uint32_t>(std::ceil(std::max(wait, least) * 1000));
  WakeId = Services.Loop.SetOneShotTimer(delayMs, [this] {
    WakeId = 0;
    Wake(true);
  });
}

// Reads the real position (never the prediction alone), writes what is due
// and plans the next wake. A planned wake that finds the player short asks
// whether it still plays: if so it waits again from this reading.
void TDriver::Wake(bool planned) {
  RunSilently([this, planned] {
    const double position = Player->GetPosition();
    const double moment = Services.Loop.Now();
    PresentAt(position, moment);
    if (planned && position < WakeDue) {
      ++ShortWakes;
      ShortPosition = position;
      Predictor.SetPlaying(Player->GetState() == vsPlaying);
      Predictor.Update(position, moment);
    } else {
      ShortWakes = 0;
    }
    PlanWake();
  });
}

// A seek, a playback command or a shift: the wake comes at once and plans
// from what it reads.
void TDriver::WakeSoon() {
  if (Settings.TickOnly || !PlayingStarted || !Script || !Player) return;
  CancelWake();
  ShortWakes = 0;
  WakeId = Services.Loop.SetOneShotTimer(1, [this] {
    WakeId = 0;
    Wake(false);
  });
}

void TDriver::CancelWake() {
  if (WakeId != 0) Services.Loop.KillTimer(WakeId);
  WakeId = 0;
}

// The player has just shown a frame: when it may be the one the planned wake
// waits for, the wake comes now, on the frame itself.
void TDriver::FrameShown() {
  if (WakeId == 0) return;
  if (Predictor.PositionAt(Services.Loop.Now()) + PositionStep(Script->FrameRate) < WakeDue) return;
  CancelWake();
  Wake(false);
}
