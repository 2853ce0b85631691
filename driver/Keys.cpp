// The keyboard commands: one console input event becomes at most one player
// command, or the quit message.
#include "driver/Driver.h"

namespace {
constexpr float ShortSeekSeconds = 10.0f;
constexpr float LongSeekSeconds = 60.0f;
} // namespace

void TDriver::HandleKey(const TInputRecord &event) {
  if (event.EventType != KeyEvent || event.KeyDown == 0) return;
  const double frameRate = Script->FrameRate;
  switch (event.AsciiChar) {
  case ' ':
    if (Player->GetState() == vsPlaying)
      Player->Pause();
    else
      Player->Play();
    break;
  case 'p':
  case 'P': Player->Play(); break;
  case 's':
  case 'S': Player->Stop(); break;
  case 'u':
  case 'U': Player->Pause(); break;
  case ',': Player->Seek(sdBackward, frameRate * ShortSeekSeconds); break;
  case '.': Player->Seek(sdForward, frameRate * ShortSeekSeconds); break;
  case '<': Player->Seek(sdBackward, frameRate * LongSeekSeconds); break;
  case '>': Player->Seek(sdForward, frameRate * LongSeekSeconds); break;
  case 'q':
  case 'Q': Services.Loop.PostQuitMessage(0); break;
  default: break;
  }
}
