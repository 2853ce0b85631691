// The recording console of the tests.
#include "fake/FakeConsole.h"

namespace {
std::string Number(long value) { return std::to_string(value); }
} // namespace

bool TFakeConsole::FreeConsole() {
  Calls.push_back("FreeConsole");
  return FreeResult;
}

bool TFakeConsole::AllocConsole() {
  Calls.push_back("AllocConsole");
  return AllocResult;
}

THandle TFakeConsole::GetStdHandle(TStdHandle which) {
  Calls.push_back(which == StdInputHandle ? "GetStdHandle(Input)" : "GetStdHandle(Output)");
  return which == StdInputHandle ? InputHandle : OutputHandle;
}

bool TFakeConsole::SetConsoleTitle(const std::string &title) {
  Calls.push_back("SetConsoleTitle(" + title + ")");
  if (TitleResult) Title = title;
  return TitleResult;
}

bool TFakeConsole::GetScreenBufferInfo(THandle output, TScreenBufferInfo &info) {
  Calls.push_back("GetScreenBufferInfo(" + Number(output) + ")");
  if (BufferInfoResult) info = BufferInfo;
  return BufferInfoResult;
}

TCoord TFakeConsole::GetLargestWindowSize(THandle output) {
  Calls.push_back("GetLargestWindowSize(" + Number(output) + ")");
  return LargestWindow;
}

bool TFakeConsole::SetScreenBufferSize(THandle output, TCoord size) {
  Calls.push_back("SetScreenBufferSize(" + Number(output) + "," + Number(size.X) + "," +
                  Number(size.Y) + ")");
  bool result = true;
  if (!BufferSizeResults.empty()) {
    result = BufferSizeResults.front();
    BufferSizeResults.pop_front();
  }
  if (result) BufferInfo.Size = size;
  return result;
}

bool TFakeConsole::SetWindowInfo(THandle output, bool absolute, const TSmallRect &window) {
  Calls.push_back("SetWindowInfo(" + Number(output) + "," + (absolute ? "absolute" : "relative") +
                  "," + Number(window.Left) + "," + Number(window.Top) + "," +
                  Number(window.Right) + "," + Number(window.Bottom) + ")");
  if (WindowInfoResult) Window = window;
  return WindowInfoResult;
}

uint32_t TFakeConsole::GetOutputCP() {
  Calls.push_back("GetOutputCP");
  return OutputCP;
}

bool TFakeConsole::SetCursorInfo(THandle output, uint32_t size, bool visible) {
  Calls.push_back("SetCursorInfo(" + Number(output) + "," + Number(size) + "," +
                  (visible ? "visible" : "hidden") + ")");
  if (CursorResult) {
    CursorSize = size;
    CursorVisible = visible;
  }
  return CursorResult;
}

uint32_t TFakeConsole::GetLastError() {
  Calls.push_back("GetLastError");
  return LastError;
}

bool TFakeConsole::PeekInput(THandle input, TInputRecord &event, uint32_t &count) {
  Calls.push_back("PeekInput(" + Number(input) + ")");
  count = 0;
  if (!PeekResult) return false;
  if (!Input.empty()) {
    event = Input.front();
    count = 1;
  }
  return true;
}

bool TFakeConsole::ReadInput(THandle input, TInputRecord &event, uint32_t &count) {
  Calls.push_back("ReadInput(" + Number(input) + ")");
  count = 0;
  if (Input.empty()) return false;
  event = Input.front();
  Input.pop_front();
  count = 1;
  return true;
}

TInputRecord TFakeConsole::KeyRecord(char ch, bool down) {
  TInputRecord event;
  event.EventType = KeyEvent;
  event.KeyDown = down ? 1 : 0;
  event.RepeatCount = 1;
  event.AsciiChar = ch;
  return event;
}

void TFakeConsole::TypeKey(char ch) {
  Input.push_back(KeyRecord(ch, true));
  Input.push_back(KeyRecord(ch, false));
}

void TFakeConsole::PushEvent(const TInputRecord &event) { Input.push_back(event); }

TScreenBufferInfo TFakeConsole::DefaultBufferInfo() {
  TScreenBufferInfo info;
  info.Size = {80, 300};
  info.Window = {0, 0, 79, 24};
  info.MaximumWindowSize = {80, 50};
  return info;
}
