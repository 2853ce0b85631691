// Console preparation: the console calls in order, the Debug lines, and the
// line width the layout gets.
#include <gtest/gtest.h>

#include "driver/TestDriver.h"

namespace {

using TLines = std::vector<std::string>;

class PrepareConsoleTest : public ::testing::Test {
protected:
  void SetUp() override {
    T.Driver.Script = std::make_unique<TCaptel>([](const std::string &) {}, T.CodePages, T.Files);
    T.Driver.Script->Title = "Night train";
  }
  TTestDriver T;
};

} // namespace

TEST_F(PrepareConsoleTest, DefaultRunWithALargestWindowOf132Columns) {
  T.Driver.PrepareConsole();
  EXPECT_EQ(
      T.Console.Calls,
      (TLines{"FreeConsole", "AllocConsole", "GetStdHandle(Output)", "GetStdHandle(Input)",
              "SetConsoleTitle(Night train)", "GetScreenBufferInfo(11)", "GetLargestWindowSize(11)",
              "SetScreenBufferSize(11,132,50)", "SetWindowInfo(11,absolute,0,0,126,5)",
              "SetScreenBufferSize(11,127,6)", "GetOutputCP", "SetCursorInfo(11,1,hidden)"}));
  EXPECT_EQ(T.Output.Lines, (TLines{"OK", "Repos OK", "Resize OK", "Code page is 437"}));
  EXPECT_EQ(T.Driver.Settings.LineWidth, 126);
  EXPECT_EQ(T.Driver.ConsoleInput, TFakeConsole::InputHandle);
  EXPECT_EQ(T.Driver.Script->ConsoleCodePageKind, 1);
}

TEST_F(PrepareConsoleTest, LargestWindowLessThanFiveWiderIsUsedWhole) {
  T.Console.LargestWindow = {82, 40};
  T.Driver.PrepareConsole();
  EXPECT_EQ(T.Driver.Settings.LineWidth, 81);
  EXPECT_EQ(T.Console.Window.Right, 81);
  EXPECT_EQ(T.Console.BufferInfo.Size.X, 82);
  EXPECT_EQ(T.Console.BufferInfo.Size.Y, 6);
}

TEST_F(PrepareConsoleTest, FailuresAreReportedWithTheSystemErrorAndDoNotStop) {
  T.Console.BufferSizeResults = {false, true};
  T.Console.WindowInfoResult = false;
  T.Console.LastError = 87;
  T.Console.OutputCP = 852;
  T.Driver.PrepareConsole();
  EXPECT_EQ(T.Output.Lines,
            (TLines{"Failed: 87", "Repos failed: 87", "Resize OK", "Code page is 852"}));
  EXPECT_EQ(T.Driver.Script->ConsoleCodePageKind, 1) << "OEM whatever the real code page";
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
  T.Driver.PrepareConsole();
  EXPECT_EQ(T.Output.Lines,
            (TLines{"OK", "Repos failed: the terminal kept 100x30",
                    "Resize failed: the terminal kept 100x30", "Code page is 437"}));
  EXPECT_EQ(T.Driver.Settings.LineWidth, 99);
}

TEST_F(PrepareConsoleTest, WithoutDebugNothingIsWrittenEvenOnFailure) {
  T.Driver.Settings.Debug = false;
  T.Console.BufferSizeResults = {false, false};
  T.Console.WindowInfoResult = false;
  T.Driver.PrepareConsole();
  EXPECT_TRUE(T.Output.Lines.empty());
  EXPECT_EQ(T.Console.Calls.back(), "SetCursorInfo(11,1,hidden)");
}

TEST_F(PrepareConsoleTest, NoResizeNoDetach) {
  T.Driver.Settings.ResizeConsole = false;
  T.Driver.Settings.DetachConsole = false;
  T.Console.BufferInfo.Size = {100, 300};
  T.Driver.PrepareConsole();
  EXPECT_EQ(T.Console.Calls,
            (TLines{"GetStdHandle(Output)", "GetStdHandle(Input)", "SetConsoleTitle(Night train)",
                    "GetScreenBufferInfo(11)", "GetOutputCP", "SetCursorInfo(11,1,hidden)"}));
  EXPECT_EQ(T.Output.Lines, (TLines{"Code page is 437"}));
  EXPECT_EQ(T.Driver.Settings.LineWidth, 99);
}

// Output that is not a console: no buffer information, no largest window.
TEST_F(PrepareConsoleTest, WidthStaysPositiveWhenNothingCanBeRead) {
  T.Console.BufferInfoResult = false;
  T.Console.LargestWindow = {0, 0};
  T.Console.BufferSizeResults = {false, false};
  T.Console.WindowInfoResult = false;
  T.Console.LastError = 6;
  T.Driver.PrepareConsole();
  EXPECT_EQ(T.Driver.Settings.LineWidth, 79);
  EXPECT_EQ(T.Output.Lines,
            (TLines{"Failed: 6", "Repos failed: 6", "Resize failed: 6", "Code page is 437"}));

  T.Console.BufferInfoResult = true;
  T.Console.BufferInfo.Size = {1, 1};
  T.Driver.PrepareConsole();
  EXPECT_EQ(T.Driver.Settings.LineWidth, 79);
}

// A resized console: the subtitles after the change are laid out at its new
// width, asked only when the console says its size changed; none is asked
// before the console is prepared (the screenplay).
TEST_F(PrepareConsoleTest, LaterSubtitlesFollowAResizedConsole) {
  T.Driver.FollowConsoleWidth();
  EXPECT_TRUE(T.Console.Calls.empty());
  T.Driver.PrepareConsole();
  ASSERT_EQ(T.Driver.Settings.LineWidth, 126);
  const size_t prepared = T.Console.Calls.size();
  T.Console.BufferInfo.Size.X = 61;
  T.Driver.FollowConsoleWidth();
  EXPECT_EQ(T.Driver.Settings.LineWidth, 126) << "no change reported, none asked";
  EXPECT_EQ(T.Console.Calls.size(), prepared);

  for (const int16_t columns : {61, 141, 0}) {
    T.Console.BufferInfo.Size.X = columns;
    T.Console.SizeChangedResult = true;
    T.Driver.FollowConsoleWidth();
    EXPECT_EQ(T.Console.Calls.back(), "GetScreenBufferInfo(11)");
    // A width that cannot be used keeps the last one.
    EXPECT_EQ(T.Driver.Settings.LineWidth, columns > 1 ? columns - 1 : 140);
  }
}
