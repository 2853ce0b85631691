// The keyboard commands: one console input event becomes the action of at
// most one row of the key table (a player command, a shift of the subtitles,
// or the quit message); and the console title, which shows the shift and the
// player's state.
#include "driver/Driver.h"
#include "driver/KeyTable.h"

// The key's row of the key table acts; any other key does nothing.
void TDriver::HandleKey(const TInputRecord &event) {
  if (event.EventType != KeyEvent || event.KeyDown == 0) return;
  if (const TKeyRow *row = FindKey(event.AsciiChar)) row->Action(*this);
}

// The shift applies at once, shows in the console title and, with Debug on,
// in a log line.
void TDriver::ShiftSubtitles(int64_t ms) {
  Timing.Shift(ms);
  Services.Console.SetConsoleTitle(ConsoleTitle());
  if (Settings.Debug) WriteLogLine("Subtitle delay " + Timing.ShiftLabel());
  WakeSoon();
}

std::string TDriver::ConsoleTitle() const {
  static const char *const stateTags[] = {"", "  [paused]", "  [stopped]", "  [ended]"};
  std::string title = Script->Title + stateTags[PlayState];
  if (Timing.ShiftMs == 0) return title;
  return title + "  [" + Timing.ShiftLabel() + "]";
}

// A player that stopped without the s key stopped at the end (keep-open
// holds the last frame there); a stop at the start is the s key's, or a
// followed player's own stop.
void TDriver::NoteState(double position) {
  const bool stood = position == TickReading;
  TickReading = position;
  if (!stood && PlayState == psPlaying) return;
  const int32_t state = Player->GetState();
  if (state == vsPlaying) StoppedByKey = false;
  if (state == vsPaused) return ShowState(psPaused);
  if (state != vsStopped) return ShowState(psPlaying);
  ShowState(StoppedByKey || !(position > 0) ? psStopped : psEnded);
}

// The title changes only with the state; the end is said once, in a log line.
void TDriver::ShowState(TPlayState state) {
  if (state == PlayState) return;
  PlayState = state;
  Services.Console.SetConsoleTitle(ConsoleTitle());
  if (state == psEnded && Settings.Debug) WriteLogLine("End of video: q quits");
}
