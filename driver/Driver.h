// The application driver: the process-wide settings and values, and every
// step of the main sequence, built over the platform services so the tests
// can run it whole with fakes.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/SubtitleTiming.h"

#include "platform/CodePages.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "platform/Loop.h"
#include "platform/Output.h"
#include "platform/PlayerLog.h"
#include "platform/Process.h"
#include "player/PositionPredictor.h"
#include "player/UntVideoIF.h"
#include "script/TrackDocuments.h"
#include "script/UntCaptel.h"

struct TSettings {
  int32_t LineWidth = 79;
  bool Debug = true;
  bool ResizeConsole = true;
  bool DetachConsole = true;
  bool Screenplay = false;
  // Empty unless "-mci-device-type" set it; the MCI control may write a new
  // value back into it.
  std::string MCIDeviceType;
  // Subtitles only at the ticks, without the wake between them.
  bool TickOnly = false;
  // "--sub-codepage": the code page of subtitle files in no declared
  // encoding that are not UTF-8; empty to guess.
  std::string SubCodePage;
  // "-v": every message of the player and its libraries on the console, not
  // only its notices and the reason a run failed.
  bool Verbose = false;
  // "--player-log": a file taking every message of the player, unthrottled.
  std::string PlayerLogFile;
  // "--player-subs": the embedded player draws subtitles of its own.
  bool PlayerSubs = false;
};

struct TPlayerControl;

// The services the driver runs on; main passes the real ones.
struct TServices {
  IProcess &Process;
  IOutput &Output;
  IConsole &Console;
  ILoop &Loop;
  ICodePages &CodePages;
  IFileSystem &Files;
  IPlayerLog &PlayerLog;
};

class TDriver {
public:
  static constexpr uint32_t TimerPeriodMs = 180;
  static constexpr double JumpSeconds = 5;

  explicit TDriver(TServices services);
  ~TDriver();

  // The whole process: start-up, message loop, shut-down, with the top-level
  // failure report. Returns the exit code.
  int Run();

  // Main sequence.
  void Startup();
  [[noreturn]] void PrintScreenplay();
  [[noreturn]] void FatalError(const std::string &message);
  [[noreturn]] void ShowUsage();
  void WriteUsageText();
  // --help and --version: write their text and end the process with 0.
  [[noreturn]] void ShowHelp();
  [[noreturn]] void ShowVersion();
  void Finalize();

  // Command line.
  void ParseCommandLine();
  // Loads ScriptPath, or the subtitles of a video given alone.
  void LoadScript();
  // Loads the file ScriptPath names; a file of pictures is a fatal error.
  void LoadScriptFile();

  // Console, player, clock and keys.
  void PrepareConsole();
  // The line width follows the console's when its size changed.
  void FollowConsoleWidth();
  void SelectPlayer();
  bool TryPlayer(const TPlayerControl &control);
  bool TryFollower();
  bool FollowsPlayer();
  void RunMessageLoop();
  void TimerTick();
  void AwaitPlayback();
  void HandleKey(const TInputRecord &event);
  // A key typed in the player's own window: acted on as the console's.
  void PlayerWindowKey(char key);

  // The wake between ticks at the moment the next entry falls due, and the
  // viewer's sync controls.
  void PresentAt(double position, double moment);
  // A followed player's first reading, or one more than JumpSeconds ahead of
  // where it was playing to: the viewer joins the video there, and only the
  // subtitles in effect are written, not all those passed. Says so with
  // Debug on.
  bool JoinsAt(double position, double moment) const;
  void WriteJoinLine(double position, bool first);
  void PresentInEffect();
  // "m:ss" under an hour, "h:mm:ss" from an hour; whole seconds.
  static std::string VideoTimeLabel(double seconds);
  void PlanWake();
  void Wake(bool planned);
  void WakeSoon();
  void CancelWake();
  void FrameShown();
  static double PositionStep(double rate);
  void ShiftSubtitles(int64_t ms);
  std::string ConsoleTitle() const;

  // The player's state as the title shows it: nothing while it plays (or is
  // not ready), "[paused]", "[stopped]" (by the s key, or at the start), or
  // "[ended]" (stopped anywhere else: at the end of the video).
  enum TPlayState { psPlaying, psPaused, psStopped, psEnded };
  void NoteState(double position);
  void ShowState(TPlayState state);

  // Output.
  void WriteSubtitle(const TText &entry);
  // A log line. `ltSystem` marks one that carries the system's text (file
  // names, the player's and the system's messages), which the output shows
  // from the system's charset rather than the console's code page.
  enum TLogText { ltConsole, ltSystem };
  void WriteLogLine(const std::string &message, TLogText text = ltConsole);

  TServices Services;
  TSettings Settings;
  std::string ScriptPath;
  std::string VideoPath;
  std::string PlayerCode;
  std::unique_ptr<TCaptel> Script;
  TVideoPlayerRef Player;
  // True when Player follows a player running outside the program.
  bool Following = false;
  uintptr_t TimerId = 0;
  TText CurrentEntry;
  THandle ConsoleInput = 0;
  THandle ConsoleOutput = 0;
  bool ConsolePrepared = false;
  bool PlayingStarted = false;
  double LastPosition = 0;
  int32_t SpeakerColumn = 0;

  TSubtitleTiming Timing;
  TPositionPredictor Predictor;
  uintptr_t WakeId = 0;
  // The player position at which the planned wake's entry falls due.
  double WakeDue = 0;
  // Planned wakes in a row that found the player short of that position,
  // standing at ShortPosition.
  int ShortWakes = 0;
  double ShortPosition = NAN;
  double LastReading = NAN;
  TPlayState PlayState = psPlaying;
  bool StoppedByKey = false;
  // The tick's last reading: a player whose position moves plays, so its
  // state is asked only while it stands still or while a state shows.
  double TickReading = NAN;
  // Reads a video's first text subtitle track; tests put a fake here.
  std::function<TSubtitleTrack(const std::string &)> ReadTrack = ReadTrackDocument;
  // The players selected from, in the order they are tried; tests put a
  // table of their own here.
  const std::vector<TPlayerControl> *Controls;
};
