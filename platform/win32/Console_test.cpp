// Tests of the Win32 console service on a real console: console preparation
// through the driver (title, the six-line strip, the hidden cursor) and keys
// written into the console's input queue that the timer tick acts on.
#include "platform/Console.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "fake/FakeOutput.h"
#include "fake/FakePlayerLog.h"
#include "fake/FakeProcess.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/TestTerminal.h"
#include "platform/win32/ChildConsoleTest.h"

#include "platform/win32/WindowsApi.h"
#include <gtest/gtest.h>

namespace {

std::string ReadFileText(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Each character as a press followed by its release, as a console delivers
// a typed key.
std::vector<INPUT_RECORD> TypedKeys(const std::string &text) {
  std::vector<INPUT_RECORD> records;
  for (char ch : text)
    for (BOOL down : {TRUE, FALSE}) {
      INPUT_RECORD record{};
      record.EventType = KEY_EVENT;
      record.Event.KeyEvent.bKeyDown = down;
      record.Event.KeyEvent.wRepeatCount = 1;
      record.Event.KeyEvent.uChar.AsciiChar = ch;
      records.push_back(record);
    }
  return records;
}

// The contract tests' terminal: the fresh console of the child process.
class TChildConsole : public TTestTerminal {
public:
  IConsole &Console() override { return *FConsole; }
  void Type(const std::string &keys) override {
    std::vector<INPUT_RECORD> records = TypedKeys(keys);
    DWORD written = 0;
    ASSERT_TRUE(WriteConsoleInputA(GetStdHandle(STD_INPUT_HANDLE), records.data(),
                                   static_cast<DWORD>(records.size()), &written));
    ASSERT_EQ(written, records.size());
  }

private:
  std::unique_ptr<IConsole> FConsole = CreatePlatformConsole(PlatformCodePages());
};

} // namespace

std::unique_ptr<TTestTerminal> OpenTestTerminal(std::string &why) {
  if (InChild()) return std::make_unique<TChildConsole>();
  why = "runs in the child process with a fresh console (Win32Console)";
  return nullptr;
}

namespace {

// The child's own output goes to its consoles, so it reports through an XML
// file; on failure that file, with the failure messages, is shown here.
TEST(Win32Console, FreshConsoleTestsPassInAChildProcess) {
  char exe[MAX_PATH], tempDir[MAX_PATH], report[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, exe, MAX_PATH), 0u);
  ASSERT_GT(GetTempPathA(MAX_PATH, tempDir), 0u);
  ASSERT_NE(GetTempFileNameA(tempDir, "cue", 0, report), 0u);

  std::string command = "\"" + std::string(exe) +
                        "\" --gtest_filter=Win32FreshConsole*.*:ConsoleContract.*" +
                        " --gtest_output=xml:" + report;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  SetEnvironmentVariableA(ChildVariable, "1");
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                                CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableA(ChildVariable, nullptr);
  ASSERT_TRUE(started) << "CreateProcess failed: " << GetLastError();

  DWORD waited = WaitForSingleObject(child.hProcess, ChildLimitMs);
  if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 99);
  WaitForSingleObject(child.hProcess, 5000);
  DWORD exitCode = 99;
  GetExitCodeProcess(child.hProcess, &exitCode);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  std::string xml = ReadFileText(report);
  DeleteFileA(report);

  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the console tests did not end";
  EXPECT_EQ(exitCode, 0u) << xml;
  // A filter that matched nothing would pass too; the child must have run.
  EXPECT_NE(xml.find("<testsuites tests=\""), std::string::npos);
  EXPECT_EQ(xml.find("<testsuites tests=\"0\""), std::string::npos);
  EXPECT_NE(xml.find("<testsuite name=\"ConsoleContract\""), std::string::npos);
  EXPECT_EQ(xml.find("<failure"), std::string::npos);
}

// A player that records the commands it is given.
class TRecordingPlayer : public IVideoPlayer {
public:
  int32_t AddRef() override { return ++Refs; }
  int32_t Release() override { return --Refs; }
  double GetPosition() override { return Position; }
  void SetPosition(double position) override { Position = position; }
  std::string GetFileName() override { return ""; }
  void SetFileName(const std::string &) override {}
  int32_t GetState() override { return State; }
  void Start() override {}
  void Close() override {}
  bool IsAvailable() override { return true; }
  void Play() override { Calls.push_back("Play"); }
  void Stop() override { Calls.push_back("Stop"); }
  void Pause() override { Calls.push_back("Pause"); }
  void Seek(int32_t direction, double amount) override {
    Calls.push_back("Seek(" + std::to_string(direction) + "," + Number(amount) + ")");
  }

  static std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
  }

  int32_t Refs = 0;
  int32_t State = vsNotReady;
  double Position = 0;
  std::vector<std::string> Calls;
};

// The driver over the real console and loop, everything else faked.
class Win32FreshConsole : public ::testing::Test {
protected:
  void SetUp() override {
    Driver.Script =
        std::make_unique<TCaptel>([this](const std::string &line) { Output.WriteLine(line); },
                                  PlatformCodePages(), PlatformFiles());
    Driver.Script->Title = "A Test Title";
    Driver.Script->FrameRate = 25;
    Driver.Player = TVideoPlayerRef(&Player);
  }

  THandle StdHandle(DWORD which) { return reinterpret_cast<THandle>(GetStdHandle(which)); }

  TRecordingPlayer Player;
  TFakeProcess Process;
  TFakeOutput Output;
  std::unique_ptr<IConsole> Console = CreatePlatformConsole(PlatformCodePages());
  std::unique_ptr<ILoop> Loop = CreatePlatformLoop();
  TFakePlayerLog PlayerLog;
  TDriver Driver{
      TServices{Process, Output, *Console, *Loop, PlatformCodePages(), PlatformFiles(), PlayerLog}};
};

CHILD_TEST(Win32FreshConsole, TitleRoundTrips) {
  Console->FreeConsole();
  ASSERT_TRUE(Console->AllocConsole());
  ASSERT_TRUE(Console->SetConsoleTitle("Subtitles: caf\xE9 & co"));
  char title[256] = {};
  ASSERT_GT(GetConsoleTitleA(title, sizeof title), 0u);
  EXPECT_STREQ(title, "Subtitles: caf\xE9 & co");
}

CHILD_TEST(Win32FreshConsole, PreparationMakesASixLineStripWithoutCursor) {
  // What a fresh console offers here: under Wine's headless console an
  // 80-column buffer and a largest window of 128 by 46, so the strip is 5
  // columns narrower than the largest window, 123, and LineWidth 122. A real
  // screen and font give other sizes; the rule is the same.
  Console->FreeConsole();
  ASSERT_TRUE(Console->AllocConsole());
  CONSOLE_SCREEN_BUFFER_INFO fresh;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &fresh));
  int16_t largest = Console->GetLargestWindowSize(StdHandle(STD_OUTPUT_HANDLE)).X;
  int16_t width = largest - 5 >= fresh.dwSize.X - 1 ? largest - 5 : largest;

  Driver.PrepareConsole();

  EXPECT_EQ(Driver.Settings.LineWidth, width - 1);
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info));
  EXPECT_EQ(info.dwSize.X, width);
  EXPECT_EQ(info.dwSize.Y, 6);
  EXPECT_EQ(info.srWindow.Left, 0);
  EXPECT_EQ(info.srWindow.Top, 0);
  EXPECT_EQ(info.srWindow.Right, width - 1);
  EXPECT_EQ(info.srWindow.Bottom, 5);

  std::vector<std::string> expected = {"OK", "Repos OK", "Resize OK",
                                       "Code page is " + std::to_string(GetConsoleOutputCP())};
  EXPECT_EQ(Output.Lines, expected);

  CONSOLE_CURSOR_INFO cursor;
  ASSERT_TRUE(GetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &cursor));
  EXPECT_FALSE(cursor.bVisible);
  EXPECT_EQ(cursor.dwSize, 1u);

  char title[256] = {};
  GetConsoleTitleA(title, sizeof title);
  EXPECT_STREQ(title, "A Test Title");
  EXPECT_EQ(Driver.ConsoleInput, StdHandle(STD_INPUT_HANDLE));
  DWORD waiting;
  EXPECT_TRUE(GetNumberOfConsoleInputEvents(GetStdHandle(STD_INPUT_HANDLE), &waiting));
}

CHILD_TEST(Win32FreshConsole, WithoutResizeTheWidthIsTheFreshBuffers) {
  Driver.Settings.ResizeConsole = false;
  Driver.Settings.Debug = false;
  Driver.PrepareConsole();
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info));
  EXPECT_EQ(Driver.Settings.LineWidth, info.dwSize.X - 1);
  EXPECT_GT(info.dwSize.Y, 6) << "the buffer must keep its height";
  EXPECT_TRUE(Output.Lines.empty());
}

// Keys typed into the console, read by the timer tick's drain.
class Win32FreshConsoleKeys : public Win32FreshConsole {
protected:
  void SetUp() override {
    Win32FreshConsole::SetUp();
    Driver.Settings.Debug = false;
    Driver.PrepareConsole();
  }

  static INPUT_RECORD Key(char ch, bool down = true, WORD virtualKey = 0, WORD repeat = 1) {
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = down;
    record.Event.KeyEvent.wRepeatCount = repeat;
    record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
    record.Event.KeyEvent.uChar.AsciiChar = ch;
    return record;
  }

  void Type(const std::string &text) { Write(TypedKeys(text)); }

  void Write(std::vector<INPUT_RECORD> records) {
    DWORD written = 0;
    ASSERT_TRUE(WriteConsoleInputA(GetStdHandle(STD_INPUT_HANDLE), records.data(),
                                   static_cast<DWORD>(records.size()), &written))
        << "WriteConsoleInputA failed: " << GetLastError();
    ASSERT_EQ(written, records.size());
  }

  DWORD Waiting() {
    DWORD count = 0;
    GetNumberOfConsoleInputEvents(GetStdHandle(STD_INPUT_HANDLE), &count);
    return count;
  }
};

CHILD_TEST(Win32FreshConsoleKeys, ServiceMapsTheRecordAndPeekLeavesIt) {
  Write({Key('a', true, 'A', 3)});
  TInputRecord event;
  uint32_t count = 7;
  ASSERT_TRUE(Console->PeekInput(Driver.ConsoleInput, event, count));
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Waiting(), 1u);
  TInputRecord taken;
  ASSERT_TRUE(Console->ReadInput(Driver.ConsoleInput, taken, count));
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Waiting(), 0u);
  for (const TInputRecord &e : {event, taken}) {
    EXPECT_EQ(e.EventType, KeyEvent);
    EXPECT_NE(e.KeyDown, 0);
    EXPECT_EQ(e.RepeatCount, 3);
    EXPECT_EQ(e.VirtualKeyCode, 'A');
    EXPECT_EQ(e.AsciiChar, 'a');
  }

  // An empty queue: the peek answers at once with nothing.
  DWORD before = GetTickCount();
  ASSERT_TRUE(Console->PeekInput(Driver.ConsoleInput, event, count));
  EXPECT_EQ(count, 0u);
  EXPECT_LT(GetTickCount() - before, 100u);
}

CHILD_TEST(Win32FreshConsoleKeys, OnlyPressesActAndEachActsOnce) {
  Write({Key('p', false), Key('p', true, 'P', 4), Key('p', false)});
  Driver.TimerTick();
  EXPECT_EQ(Player.Calls, std::vector<std::string>{"Play"});
  EXPECT_EQ(Waiting(), 0u);
}

CHILD_TEST(Win32FreshConsoleKeys, LettersActInEitherCase) {
  Type("pPuUsS");
  Driver.TimerTick();
  std::vector<std::string> expected = {"Play", "Play", "Pause", "Pause", "Stop", "Stop"};
  EXPECT_EQ(Player.Calls, expected);
}

CHILD_TEST(Win32FreshConsoleKeys, SeekKeysMoveByTenSecondsOrAMinuteOfFrames) {
  Type(",.<>");
  Driver.TimerTick();
  Driver.Script->FrameRate = 29.97;
  Type(",>");
  Driver.TimerTick();
  std::vector<std::string> expected = {"Seek(1,250)",  "Seek(0,250)",   "Seek(1,1500)",
                                       "Seek(0,1500)", "Seek(1,299.7)", "Seek(0,1798.2)"};
  EXPECT_EQ(Player.Calls, expected);
}

CHILD_TEST(Win32FreshConsoleKeys, SpacePausesOnlyWhilePlaying) {
  Player.State = vsPlaying;
  Type(" ");
  Driver.TimerTick();
  Player.State = vsPaused;
  Type(" ");
  Driver.TimerTick();
  EXPECT_EQ(Player.Calls, (std::vector<std::string>{"Pause", "Play"}));
}

CHILD_TEST(Win32FreshConsoleKeys, QuitStillLetsTheKeysBehindItAct) {
  Type("qp.");
  Driver.TimerTick();
  EXPECT_EQ(Player.Calls, (std::vector<std::string>{"Play", "Seek(0,250)"}));
  EXPECT_EQ(Waiting(), 0u);

  // The quit message is waiting; a late guard tick would mean it is not.
  bool guardTicked = false;
  uintptr_t guard = Loop->SetTimer(3000, [&] { guardTicked = true; });
  TMessage message;
  EXPECT_EQ(Loop->GetMessage(message), 0);
  Loop->KillTimer(guard);
  EXPECT_FALSE(guardTicked);
}

CHILD_TEST(Win32FreshConsoleKeys, OtherEventsAndKeysAreConsumedAndDoNothing) {
  INPUT_RECORD mouse{}, focus{}, resize{};
  mouse.EventType = MOUSE_EVENT;
  mouse.Event.MouseEvent.dwButtonState = FROM_LEFT_1ST_BUTTON_PRESSED;
  focus.EventType = FOCUS_EVENT;
  focus.Event.FocusEvent.bSetFocus = TRUE;
  resize.EventType = WINDOW_BUFFER_SIZE_EVENT;
  Write({mouse, focus, resize, Key(0, true, VK_LEFT), Key(0, true, VK_F1), Key(0, true, VK_SHIFT),
         Key('\r', true, VK_RETURN), Key('\x1b', true, VK_ESCAPE), Key('1', true, '1'),
         Key('x', true, 'X'), Key('Q', false, 'Q')});
  Driver.TimerTick();
  EXPECT_TRUE(Player.Calls.empty());
  EXPECT_EQ(Waiting(), 0u);

  bool guardTicked = false;
  uintptr_t guard = Loop->SetTimer(100, [&] { guardTicked = true; });
  TMessage message;
  EXPECT_GT(Loop->GetMessage(message), 0) << "a released Q must not quit";
  Loop->DispatchMessage(message);
  Loop->KillTimer(guard);
  EXPECT_TRUE(guardTicked);
}

CHILD_TEST(Win32FreshConsoleKeys, TicksFromTheLoopDrainTheQueue) {
  Driver.TimerId = Loop->SetTimer(180, [this] { Driver.TimerTick(); });
  bool timedOut = false;
  uintptr_t guard = Loop->SetTimer(3000, [&] {
    timedOut = true;
    Loop->PostQuitMessage(0);
  });
  Type("uq");
  uint32_t before = GetTickCount();
  Driver.RunMessageLoop();
  Loop->KillTimer(Driver.TimerId);
  Loop->KillTimer(guard);
  EXPECT_FALSE(timedOut) << "q did not end the loop";
  EXPECT_EQ(Player.Calls, std::vector<std::string>{"Pause"});
  EXPECT_LT(GetTickCount() - before, 2000u);
}

} // namespace
