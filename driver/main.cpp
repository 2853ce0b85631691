// The program's entry: builds the real services, runs the driver and returns
// its exit code, with COM set up first and torn down last.
#include "driver/Driver.h"
#include "platform/Controls.h"
#include "player/Automation.h"

int main(int argc, char **argv) {
  InitializeAutomation();
  int exitCode = 1;
  {
    std::unique_ptr<IProcess> process = CreatePlatformProcess(argc, argv);
    std::unique_ptr<IOutput> output = CreatePlatformOutput();
    std::unique_ptr<IConsole> console = CreatePlatformConsole();
    std::unique_ptr<ILoop> loop = CreatePlatformLoop();
    RegisterPlatformControls(*loop);
    TDriver driver(
        TServices{*process, *output, *console, *loop, PlatformCodePages(), PlatformFiles()});
    exitCode = driver.Run();
  } // the driver, and with it the last player reference, is gone here
  UninitializeAutomation();
  return exitCode;
}
