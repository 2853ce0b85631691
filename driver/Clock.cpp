// The playback clock: the message loop and the timer tick that keeps the
// subtitles in step with the player and hands the typed keys to HandleKey.
#include "driver/Driver.h"
#include "platform/Errors.h"

namespace {

// Waits for playback to begin, then writes every subtitle due at the
// player's position.
void PresentSubtitles(TDriver &driver) {
  if (!driver.PlayingStarted) {
    if (driver.Player->GetState() != vsNotReady) driver.PlayingStarted = true;
    return;
  }
  driver.LastPosition = driver.Player->GetPosition();
  driver.Script->AdvanceTo(driver.LastPosition, 0);
  while (driver.Script->NextDue(driver.CurrentEntry))
    driver.WriteSubtitle(driver.CurrentEntry);
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
  RunSilently([this] { PresentSubtitles(*this); });
  RunSilently([this] { DrainConsoleInput(*this); });
}
