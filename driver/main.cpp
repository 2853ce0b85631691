// The program's entry: the whole wiring. Chooses the locale, builds the real
// services, runs the driver and returns its exit code, with COM set up first
// and torn down last.
#include <clocale>

#include "driver/Driver.h"
#include "platform/Automation.h"
#include "platform/Http.h"
#include "platform/Streams.h"
#include "player/StandInControls.h"
#include "player/follow/Followers.h"

int main(int argc, char **argv) {
  // Characters follow the user's locale (the terminal's charset on POSIX);
  // numbers stay in the C locale, which the mpv player requires.
  std::setlocale(LC_CTYPE, "");
  InitializeAutomation();
  int exitCode = 1;
  {
    ICodePages &codePages = PlatformCodePages();
    IFileSystem &files = PlatformFiles();
    std::unique_ptr<IProcess> process = CreatePlatformProcess(argc, argv);
    std::unique_ptr<IOutput> output = CreatePlatformOutput(codePages);
    std::unique_ptr<IConsole> console = CreatePlatformConsole(codePages);
    std::unique_ptr<ILoop> loop = CreatePlatformLoop();
    std::unique_ptr<IPlayerLog> playerLog = CreatePlatformPlayerLog(*loop);
    std::unique_ptr<IStreamConnector> streams = CreatePlatformStreams(*loop);
    std::unique_ptr<IHttpClient> http = CreatePlatformHttp(*loop);
    TDriver driver(TServices{*process, *output, *console, *loop, codePages, files, *playerLog});
    RegisterStandInControls(*loop, *playerLog, driver.Settings.PlayerSubs);
    RegisterFollowers(*loop, *streams, *http);
    exitCode = driver.Run();
  } // the driver, and with it the last player reference, is gone here
  UninitializeAutomation();
  return exitCode;
}
