// Console preparation: a fresh console titled with the video's title, shrunk
// to a six-line strip nearly as wide as the screen, with the cursor hidden;
// later, the line width following the console's when it is resized.
#include <string>

#include "driver/Driver.h"

namespace {

constexpr int16_t StripRows = 6;
constexpr int16_t RightMargin = 5;

// The layout needs at least one column; a console that reports no usable
// width (not a console at all, or a failed query) leaves the width as it was.
void SetLineWidthFromColumns(TSettings &settings, int32_t columns) {
  if (columns - 1 >= 1) settings.LineWidth = columns - 1;
}

} // namespace

void TDriver::PrepareConsole() {
  IConsole &console = Services.Console;
  auto report = [&](bool ok, const std::string &okLine, const std::string &failedPrefix) {
    if (!Settings.Debug) return;
    if (ok) return WriteLogLine(okLine);
    const std::string text = console.GetLastErrorText();
    WriteLogLine(failedPrefix + (text.empty() ? std::to_string(console.GetLastError()) : text));
  };

  // From here on the player's libraries write into the log, not the console.
  if (!Settings.PlayerLogFile.empty()) {
    std::string error;
    if (!Services.PlayerLog.SetLogFile(Settings.PlayerLogFile, error))
      FatalError("Cannot write the player log " + Settings.PlayerLogFile + ": " + error);
  }
  Services.PlayerLog.Capture([this](const std::string &line) { WriteLogLine(line, ltSystem); },
                             Settings.Debug, Settings.Verbose);

  if (Settings.DetachConsole) {
    console.FreeConsole();
    console.AllocConsole();
  }
  THandle output = console.GetStdHandle(StdOutputHandle);
  ConsoleOutput = output;
  ConsoleInput = console.GetStdHandle(StdInputHandle);

  console.SetConsoleTitle(ConsoleTitle());

  TScreenBufferInfo info;
  if (console.GetScreenBufferInfo(output, info)) SetLineWidthFromColumns(Settings, info.Size.X);

  if (Settings.ResizeConsole) {
    TCoord largest = console.GetLargestWindowSize(output);
    report(console.SetScreenBufferSize(output, largest), "OK", "Failed: ");

    int32_t width = largest.X;
    if (width - RightMargin >= Settings.LineWidth) width -= RightMargin;
    SetLineWidthFromColumns(Settings, width);

    TSmallRect window;
    window.Right = static_cast<int16_t>(width - 1);
    window.Bottom = StripRows - 1;
    report(console.SetWindowInfo(output, true, window), "Repos OK", "Repos failed: ");

    TCoord strip{static_cast<int16_t>(width), StripRows};
    const bool resized = console.SetScreenBufferSize(output, strip);
    report(resized, "Resize OK", "Resize failed: ");
    // A console that kept another size is laid out at the width it has.
    if (!resized && console.GetScreenBufferInfo(output, info))
      SetLineWidthFromColumns(Settings, info.Size.X);
  }

  // The console is taken to use the OEM set whatever its real code page is.
  Script->ConsoleCodePageKind = cpkOEM;
  if (Settings.Debug) WriteLogLine("Code page is " + std::to_string(console.GetOutputCP()));

  console.SetCursorInfo(output, 1, false);
  ConsolePrepared = true;
}

void TDriver::FollowConsoleWidth() {
  if (!ConsolePrepared || !Services.Console.SizeChanged(ConsoleOutput)) return;
  TScreenBufferInfo info;
  if (Services.Console.GetScreenBufferInfo(ConsoleOutput, info))
    SetLineWidthFromColumns(Settings, info.Size.X);
}
