// The keyboard commands: one console input event becomes at most one player
// command, a shift of the subtitles, or the quit message; and the console
// title, which shows the shift and the player's state.
#include "driver/Driver.h"

namespace {
constexpr float ShortSeekSeconds = 10.0f;
constexpr float LongSeekSeconds = 60.0f;
constexpr int64_t SmallShiftMs = 100;
constexpr int64_t LargeShiftMs = 1000;
} // namespace

void TDriver::HandleKey(const TInputRecord &event) {
  if (event.EventType != KeyEvent || event.KeyDown == 0) return;
  const double frameRate = Script->FrameRate;
  // A seek jumps: no reading before it tells where the player is going.
  auto seek = [this](int32_t direction, double amount) {
    Player->Seek(direction, amount);
    Predictor.Forget();
  };
  switch (event.AsciiChar) {
  case ' ':
    if (Player->GetState() == vsPlaying) {
      Player->Pause();
      Predictor.SetPlaying(false);
    } else {
      Player->Play();
      Predictor.SetPlaying(true);
      StoppedByKey = false;
    }
    break;
  case 'p':
  case 'P':
    Player->Play();
    Predictor.SetPlaying(true);
    StoppedByKey = false;
    break;
  case 's':
  case 'S':
    Player->Stop();
    StoppedByKey = true;
    Predictor.SetPlaying(false);
    Predictor.Forget();
    break;
  case 'u':
  case 'U':
    Player->Pause();
    Predictor.SetPlaying(false);
    break;
  case ',': seek(sdBackward, frameRate * ShortSeekSeconds); break;
  case '.': seek(sdForward, frameRate * ShortSeekSeconds); break;
  case '<': seek(sdBackward, frameRate * LongSeekSeconds); break;
  case '>': seek(sdForward, frameRate * LongSeekSeconds); break;
  case 'z': ShiftSubtitles(-SmallShiftMs); return;
  case 'x': ShiftSubtitles(SmallShiftMs); return;
  case 'Z': ShiftSubtitles(-LargeShiftMs); return;
  case 'X': ShiftSubtitles(LargeShiftMs); return;
  case 'q':
  case 'Q': Services.Loop.PostQuitMessage(0); return;
  default: return;
  }
  // Every command above changes where or whether the player moves: the wake
  // plans afresh from a new reading at once.
  WakeSoon();
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
