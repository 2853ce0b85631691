// The console service over the real Win32 console (kernel32): the calls of
// console preparation and the input queue that the key drain reads.
#include "platform/Console.h"

#include "platform/win32/WindowsApi.h"

namespace {

HANDLE AsHandle(THandle handle) { return reinterpret_cast<HANDLE>(handle); }

// Copies the fields the program reads; events other than keys carry no key
// data, so their key fields stay zero.
TInputRecord FromInputRecord(const INPUT_RECORD &record) {
  TInputRecord event;
  event.EventType = record.EventType;
  if (record.EventType == KEY_EVENT) {
    const KEY_EVENT_RECORD &key = record.Event.KeyEvent;
    event.KeyDown = key.bKeyDown;
    event.RepeatCount = key.wRepeatCount;
    event.VirtualKeyCode = key.wVirtualKeyCode;
    event.AsciiChar = key.uChar.AsciiChar;
  }
  return event;
}

class TWin32Console : public IConsole {
public:
  bool FreeConsole() override { return ::FreeConsole() != 0; }
  bool AllocConsole() override { return ::AllocConsole() != 0; }

  THandle GetStdHandle(TStdHandle which) override {
    DWORD id = which == StdInputHandle ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE;
    return reinterpret_cast<THandle>(::GetStdHandle(id));
  }

  bool SetConsoleTitle(const std::string &title) override {
    return ::SetConsoleTitleA(title.c_str()) != 0;
  }

  bool GetScreenBufferInfo(THandle output, TScreenBufferInfo &info) override {
    CONSOLE_SCREEN_BUFFER_INFO raw{};
    if (!::GetConsoleScreenBufferInfo(AsHandle(output), &raw)) return false;
    info.Size = {raw.dwSize.X, raw.dwSize.Y};
    info.CursorPosition = {raw.dwCursorPosition.X, raw.dwCursorPosition.Y};
    info.Window = {raw.srWindow.Left, raw.srWindow.Top, raw.srWindow.Right, raw.srWindow.Bottom};
    info.MaximumWindowSize = {raw.dwMaximumWindowSize.X, raw.dwMaximumWindowSize.Y};
    FReportedWidth = raw.dwSize.X;
    return true;
  }

  // The buffer's width, which the layout follows, against the one last
  // reported: only a real change of width asks the driver to read it again.
  bool SizeChanged(THandle output) override {
    CONSOLE_SCREEN_BUFFER_INFO raw{};
    return ::GetConsoleScreenBufferInfo(AsHandle(output), &raw) && FReportedWidth >= 0 &&
           raw.dwSize.X != FReportedWidth;
  }

  TCoord GetLargestWindowSize(THandle output) override {
    COORD size = ::GetLargestConsoleWindowSize(AsHandle(output));
    return {size.X, size.Y};
  }

  bool SetScreenBufferSize(THandle output, TCoord size) override {
    return ::SetConsoleScreenBufferSize(AsHandle(output), COORD{size.X, size.Y}) != 0;
  }

  bool SetWindowInfo(THandle output, bool absolute, const TSmallRect &window) override {
    SMALL_RECT rect{window.Left, window.Top, window.Right, window.Bottom};
    return ::SetConsoleWindowInfo(AsHandle(output), absolute, &rect) != 0;
  }

  uint32_t GetOutputCP() override { return ::GetConsoleOutputCP(); }

  bool SetCursorInfo(THandle output, uint32_t size, bool visible) override {
    CONSOLE_CURSOR_INFO cursor{size, visible};
    return ::SetConsoleCursorInfo(AsHandle(output), &cursor) != 0;
  }

  uint32_t GetLastError() override { return ::GetLastError(); }

  bool PeekInput(THandle input, TInputRecord &event, uint32_t &count) override {
    return Take(::PeekConsoleInputA, input, event, count);
  }

  bool ReadInput(THandle input, TInputRecord &event, uint32_t &count) override {
    return Take(::ReadConsoleInputA, input, event, count);
  }

private:
  int FReportedWidth = -1; // the width GetScreenBufferInfo last gave, -1: none

  // One record through PeekConsoleInputA or ReadConsoleInputA. A failed call
  // reports a count of 0, so a caller that looks only at the count sees an
  // empty queue rather than whatever the count held before.
  template <class TCall>
  static bool Take(TCall call, THandle input, TInputRecord &event, uint32_t &count) {
    INPUT_RECORD record{};
    DWORD read = 0;
    bool ok = call(AsHandle(input), &record, 1, &read) != 0;
    count = ok ? read : 0;
    if (ok && read > 0) event = FromInputRecord(record);
    return ok;
  }
};

} // namespace

std::unique_ptr<IConsole> CreatePlatformConsole(ICodePages &) {
  return std::make_unique<TWin32Console>();
}
