// The start-up sequence and the three early endings: the screenplay, the
// fatal error and the usage text.
#include "driver/Driver.h"
#include "driver/KeyTable.h"

#include "base/Errors.h"
#include "player/FrameSignal.h"
#include "player/KeySignal.h"

void TDriver::Startup() {
  ParseCommandLine();
  Script = std::make_unique<TCaptel>([this](const std::string &message) { WriteLogLine(message); },
                                     Services.CodePages, Services.Files);
  Script->SubtitleCodePage = Settings.SubCodePage;
  LoadScript();
  // An empty table would make a silent run; standard output stays as it is.
  if (Script->Count <= 1) Services.Process.WriteErrorLine("No subtitles found in " + ScriptPath);
  // Times kept in milliseconds have no frame rate of their own to scale from,
  // and the driver does not know the video's: a scale against the table's
  // 1000 units a second would move every subtitle to a fraction of its time.
  if (Script->TimesInMilliseconds && Timing.SubFps != 0) {
    WriteLogLine("Ignoring sub-fps for a subtitle file timed in milliseconds");
    Timing.SubFps = 0;
  }
  // The command line's video file wins; the script is asked only without one.
  if (VideoPath.empty()) Script->FindVideoFile(VideoPath);
  // A followed player already has its video.
  if (VideoPath.empty() && !FollowsPlayer()) FatalError("video file not specified");
  if (Settings.Screenplay) PrintScreenplay();
  PrepareConsole();
  // A player that reports each frame it shows wakes the driver on that frame;
  // its control asks for the reports only when someone listens.
  if (!Settings.TickOnly) SetFrameListener([this] { FrameShown(); });
  // A player whose window takes the keyboard passes the command keys on.
  SetKeyListener(CommandKeys(), [this](char key) { PlayerWindowKey(key); });
  SelectPlayer();
  PlayingStarted = false;
  SpeakerColumn = 0;
  Predictor.SetRate(Script->FrameRate, PositionStep(Script->FrameRate));
  TimerId = Services.Loop.SetTimer(TimerPeriodMs, [this] { TimerTick(); });
}

void TDriver::PrintScreenplay() {
  Script->SeekTo(0);
  Script->AdvanceTo(Script->LastFrame, 0);
  while (Script->NextDue(CurrentEntry))
    WriteSubtitle(CurrentEntry);
  // A subtitle file recognised but without a subtitle is a failed run, which
  // a calling script can tell by the exit code; an empty native script ends
  // as it always has.
  const bool emptyImport = Script->UnicodeText && Script->Count <= 1;
  throw TProcessEnd{emptyImport ? 1 : 0};
}

void TDriver::FatalError(const std::string &message) {
  // The player's last words and standard error come back before the message.
  Services.PlayerLog.Release(true);
  WriteLogLine("Fatal error: " + message, ltSystem);
  ShowUsage();
}

// NOTE: "definiton" and "conitnue" are misspelt on purpose: this is the text
// users and scripts know and compare against. Do not correct them.
void TDriver::WriteUsageText() {
  IOutput &out = Services.Output;
  out.WriteLine("Usage: " + Services.Process.ProgramPath() + " <subtitlefile> [<videofile>]");
  out.WriteLine("<file> is a subtitle-definiton file with full path.");
  out.WriteLine("<movie file> may be omitted, if the subtitle-definition file contains\r\n"
                "\tthis information.");
  out.WriteLine(" If movie-file is specified both places, then the cmd-line argument\r\n"
                "\ttakes precedence.");
}

void TDriver::ShowUsage() {
  IOutput &out = Services.Output;
  WriteUsageText();
  out.WriteLine("");
  out.WriteLine("Press ENTER to conitnue...");
  // The user reads the text before the window may close; anything still
  // buffered for a file or pipe goes out before the wait.
  out.Flush();
  Services.Process.ReadLine();
  throw TProcessEnd{1};
}
