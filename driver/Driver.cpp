// The driver object: the whole process from start-up to finalisation, with
// the top-level handler that reports any failure nothing else caught.
#include "driver/Driver.h"

#include "base/Errors.h"
#include "driver/FailureReport.h"
#include "player/FrameSignal.h"
#include "player/KeySignal.h"
#include "player/PlayerControls.h"

TDriver::TDriver(TServices services) : Services(services), Controls(&PlayerControls()) {}

TDriver::~TDriver() = default;

int TDriver::Run() {
  int exitCode = 0;
  std::string report;
  try {
    Startup();
    RunMessageLoop();
    Services.Loop.KillTimer(TimerId);
    CancelWake();
    Script.reset();
  } catch (const TProcessEnd &end) {
    exitCode = end.ExitCode;
  } catch (const Exception &error) {
    report = FailureReport(error);
    exitCode = 1;
  } catch (const std::exception &error) {
    report = FailureReport(error);
    exitCode = 1;
  } catch (...) {
    report = FailureReport(Exception("Unknown failure"));
    exitCode = 1;
  }
  // The player goes first, so what its libraries say on their way out is
  // still captured; their lines and standard error are then given back
  // before the report, which is the last thing written.
  Finalize();
  Services.PlayerLog.Release(exitCode != 0);
  if (!report.empty()) {
    // The stream that failed may fail again; the exit code tells the story.
    try {
      Services.Output.WriteLine(report);
    } catch (...) {
    }
  }
  // Lines still buffered for a file or pipe go out now; if they cannot, the
  // run did not succeed.
  try {
    Services.Output.Flush();
  } catch (...) {
    if (exitCode == 0) exitCode = 1;
  }
  return exitCode;
}

void TDriver::Finalize() {
  WantFrames(false);
  SetFrameListener(nullptr);
  SetKeyListener("", nullptr);
  CurrentEntry.Text.clear();
  VideoPath.clear();
  ScriptPath.clear();
  PlayerCode.clear();
  Player.Clear();
  Settings.MCIDeviceType.clear();
}
