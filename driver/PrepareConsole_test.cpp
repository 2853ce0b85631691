// Console preparation: the console calls in order, the Debug lines, and the
// line width the layout gets.
#include <gtest/gtest.h>

#include "driver/TestDriver.h"

namespace {

using TLines = std::vector<std::string>;

// The program started, which prepares its console, on a script of the
// ANSI code page titled "Night train".
class PrepareConsoleTest : public ::testing::Test {
protected:
  void SetUp() override {
    T.Files.Add("s.txt", ScriptText({"{HEAD", "TITLE=Night train", "CODEPAGE=1250", "FPS=25", "}",
                                     "{T;10", "caf\xE9", "}"}));
    T.Files.Add("v.avi", "");
  }
  void TearDown() override { T.Driver.Finalize(); }
  void Prepare(std::vector<std::string> args = {}) {
    args.push_back("s.txt");
    args.push_back("v.avi");
    T.Start(args, Player);
  }
  // The width the layout now uses: where it cuts a word too long for a line.
  size_t LineWidth() {
    const size_t written = T.Output.Lines.size();
    TText entry;
    entry.Text = std::string(300, 'w');
    T.Driver.WriteSubtitle(entry);
    const size_t width = T.Output.Lines.at(written).size();
    T.Output.Lines.resize(written);
    return width;
  }
  // The script's entry as the console gets it, read by the program's ticks.
  std::string ShownEntry() {
    T.Loop.Tick(); // playback begins
    Player.Position = 10;
    T.Loop.Tick();
    return T.Output.Lines.back();
  }
  TTestPlayer Player;
  TTestDriver T;
};

} // namespace

TEST_F(PrepareConsoleTest, DefaultRunWithALargestWindowOf132Columns) {
  Prepare();
  EXPECT_EQ(
      T.Console.Calls,
      (TLines{"FreeConsole", "AllocConsole", "GetStdHandle(Output)", "GetStdHandle(Input)",
              "SetConsoleTitle(Night train)", "GetScreenBufferInfo(11)", "GetLargestWindowSize(11)",
              "SetScreenBufferSize(11,132,50)", "SetWindowInfo(11,absolute,0,0,126,5)",
              "SetScreenBufferSize(11,127,6)", "GetOutputCP", "SetCursorInfo(11,1,hidden)"}));
  EXPECT_EQ(T.Output.Lines, (TLines{"OK", "Repos OK", "Resize OK", "Code page is 437"}));
  EXPECT_EQ(LineWidth(), 126u);
  // The console is taken for an OEM one: the ANSI script's text is converted.
  EXPECT_EQ(ShownEntry(), "caf\xEA ");
  // The keys are read from the console's input.
  T.Console.Calls.clear();
  T.TypeAndTick("q");
  EXPECT_TRUE(T.Loop.QuitPosted);
  EXPECT_EQ(T.Console.Calls.at(0), "PeekInput(" + std::to_string(TFakeConsole::InputHandle) + ")");
}

TEST_F(PrepareConsoleTest, LargestWindowLessThanFiveWiderIsUsedWhole) {
  T.Console.LargestWindow = {82, 40};
  Prepare();
  EXPECT_EQ(LineWidth(), 81u);
  EXPECT_EQ(T.Console.Window.Right, 81);
  EXPECT_EQ(T.Console.BufferInfo.Size.X, 82);
  EXPECT_EQ(T.Console.BufferInfo.Size.Y, 6);
}

TEST_F(PrepareConsoleTest, FailuresAreReportedWithTheSystemErrorAndDoNotStop) {
  T.Console.BufferSizeResults = {false, true};
  T.Console.WindowInfoResult = false;
  T.Console.LastError = 87;
  T.Console.OutputCP = 852;
  Prepare();
  EXPECT_EQ(T.Output.Lines,
            (TLines{"Failed: 87", "Repos failed: 87", "Resize OK", "Code page is 852"}));
  EXPECT_EQ(ShownEntry(), "caf\xEA ") << "OEM whatever the real code page";
  EXPECT_FALSE(T.Console.CursorVisible);
}

// A terminal that ignores resize requests: the Debug lines say what it kept,
// and the layout uses the width it really has.
TEST_F(PrepareConsoleTest, ConsoleThatKeptItsSizeIsReportedAndLaidOutAtItsWidth) {
  T.Console.BufferInfo.Size = {100, 30};
  T.Console.LargestWindow = {100, 30};
  T.Console.BufferSizeResults = {true, false};
  T.Console.WindowInfoResult = false;
  T.Console.LastErrorText = "the terminal kept 100x30";
  Prepare();
  EXPECT_EQ(T.Output.Lines,
            (TLines{"OK", "Repos failed: the terminal kept 100x30",
                    "Resize failed: the terminal kept 100x30", "Code page is 437"}));
  EXPECT_EQ(LineWidth(), 99u);
}

TEST_F(PrepareConsoleTest, WithoutDebugNothingIsWrittenEvenOnFailure) {
  T.Console.BufferSizeResults = {false, false};
  T.Console.WindowInfoResult = false;
  Prepare({"-nd"});
  EXPECT_TRUE(T.Output.Lines.empty());
  EXPECT_EQ(T.Console.Calls.back(), "SetCursorInfo(11,1,hidden)");
}

TEST_F(PrepareConsoleTest, NoResizeNoDetach) {
  T.Console.BufferInfo.Size = {100, 300};
  Prepare({"-ns", "-ndc"});
  EXPECT_EQ(T.Console.Calls,
            (TLines{"GetStdHandle(Output)", "GetStdHandle(Input)", "SetConsoleTitle(Night train)",
                    "GetScreenBufferInfo(11)", "GetOutputCP", "SetCursorInfo(11,1,hidden)"}));
  EXPECT_EQ(T.Output.Lines, (TLines{"Code page is 437"}));
  EXPECT_EQ(LineWidth(), 99u);
}

// Output that is not a console: no buffer information, no largest window.
TEST_F(PrepareConsoleTest, WidthStaysPositiveWhenNothingCanBeRead) {
  T.Console.BufferInfoResult = false;
  T.Console.LargestWindow = {0, 0};
  T.Console.BufferSizeResults = {false, false};
  T.Console.WindowInfoResult = false;
  T.Console.LastError = 6;
  Prepare();
  EXPECT_EQ(LineWidth(), 79u);
  EXPECT_EQ(T.Output.Lines,
            (TLines{"Failed: 6", "Repos failed: 6", "Resize failed: 6", "Code page is 437"}));

  T.Console.BufferInfoResult = true;
  T.Console.BufferInfo.Size = {1, 1};
  T.Driver.PrepareConsole();
  EXPECT_EQ(LineWidth(), 79u);
}

// A resized console: the subtitles after the change are laid out at its new
// width, asked only when the console says its size changed; none is asked
// before the console is prepared (the screenplay).
TEST_F(PrepareConsoleTest, LaterSubtitlesFollowAResizedConsole) {
  T.Driver.FollowConsoleWidth();
  EXPECT_TRUE(T.Console.Calls.empty());
  Prepare();
  ASSERT_EQ(LineWidth(), 126u);
  const size_t prepared = T.Console.Calls.size();
  T.Console.BufferInfo.Size.X = 61;
  T.Driver.FollowConsoleWidth();
  EXPECT_EQ(LineWidth(), 126u) << "no change reported, none asked";
  EXPECT_EQ(T.Console.Calls.size(), prepared);

  for (const int16_t columns : {61, 141, 0}) {
    T.Console.BufferInfo.Size.X = columns;
    T.Console.SizeChangedResult = true;
    T.Driver.FollowConsoleWidth();
    EXPECT_EQ(T.Console.Calls.back(), "GetScreenBufferInfo(11)");
    // A width that cannot be used keeps the last one.
    EXPECT_EQ(LineWidth(), columns > 1 ? columns - 1u : 140u);
  }
}
