// Tests of the Windows output stream on real handles: following a changed
// standard output handle, a failed write, and text to a console. What every
// platform does to a file is in platform/Output_test.cpp.
#include <gtest/gtest.h>

#include "platform/win32/WindowsApi.h"

#include "base/Errors.h"
#include "platform/Output.h"
#include "platform/StdoutFile.h"
#include "platform/win32/ChildConsoleTest.h"

namespace {

// Makes `handle` the standard output for the life of the object.
class TStdoutSwap {
public:
  explicit TStdoutSwap(HANDLE handle) : FSaved(GetStdHandle(STD_OUTPUT_HANDLE)) {
    SetStdHandle(STD_OUTPUT_HANDLE, handle);
  }
  ~TStdoutSwap() { SetStdHandle(STD_OUTPUT_HANDLE, FSaved); }

private:
  HANDLE FSaved;
};

TEST(Win32Output, BufferedLinesStayWithTheStreamTheyWereWrittenFor) {
  TStdoutFile first;
  ASSERT_TRUE(first.Ok());
  auto output = CreatePlatformOutput(PlatformCodePages());
  output->WriteLine("before");
  {
    TStdoutFile second;
    output->WriteLine("after");
    output->Flush();
    EXPECT_EQ(second.Bytes(), "after\r\n");
  }
  EXPECT_EQ(first.Bytes(), "before\r\n");
}

// A handle that may only read: the write fails with its error, and the file
// stays empty.
TEST(Win32Output, FailedWriteRaisesWithTheSystemErrorNumber) {
  char dir[MAX_PATH], path[MAX_PATH];
  ASSERT_TRUE(GetTempPathA(MAX_PATH, dir) && GetTempFileNameA(dir, "cue", 0, path));
  const HANDLE readOnly = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
  int error = 0;
  {
    TStdoutSwap swap(readOnly);
    auto output = CreatePlatformOutput(PlatformCodePages());
    try {
      output->WriteLine("lost");
      output->Flush();
    } catch (const EInOutError &e) {
      error = e.ErrorCode;
    }
  }
  EXPECT_EQ(GetFileSize(readOnly, nullptr), 0u);
  CloseHandle(readOnly);
  DeleteFileA(path);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
}

class Win32FreshConsoleOutput : public ::testing::Test {};

// The console holds the characters themselves, whatever its code page, and
// no escape sequence is left standing in it as text. A file name in the ANSI
// code page shows as its own letter, not as the OEM letter of its byte.
CHILD_TEST(Win32FreshConsoleOutput, TextLinesReachTheConsoleAsCharacters) {
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  auto output = CreatePlatformOutput(PlatformCodePages());
  output->WriteTextLine("\x0E"
                        "caf\xC3\xA9\x0F \xD0\x96 \x1B[2J",
                        true);
  output->WriteTextLine("\x11plain\x12", false);
  output->WriteSystemLine("Vid\xE9o");
  wchar_t ansiE9 = 0;
  MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, &ansiE9, 1);
  const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  const std::wstring expected[] = {L"caf\u00e9 \u0416 ?[2J", L"plain",
                                   L"Vid" + std::wstring(1, ansiE9) + L"o"};
  for (SHORT row = 0; row < 3; ++row) {
    wchar_t cells[40] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(console, cells, 39, COORD{0, row}, &read));
    std::wstring text(cells, read);
    text.erase(text.find_last_not_of(L' ') + 1);
    std::string codes;
    for (wchar_t c : text)
      codes += std::to_string(static_cast<unsigned>(c)) + " ";
    EXPECT_TRUE(text == expected[row]) << "row " << row << ": " << codes;
  }
}

} // namespace
