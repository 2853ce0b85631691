// A recording console for the tests: logs every call in order, answers with
// scripted results and serves input events from a queue.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/Console.h"

class TFakeConsole : public IConsole {
public:
  static constexpr THandle InputHandle = 10;
  static constexpr THandle OutputHandle = 11;

  bool FreeConsole() override;
  bool AllocConsole() override;
  THandle GetStdHandle(TStdHandle which) override;
  bool SetConsoleTitle(const std::string &title) override;
  bool GetScreenBufferInfo(THandle output, TScreenBufferInfo &info) override;
  // SizeChangedResult, once: it is cleared when asked (not a recorded call).
  bool SizeChanged(THandle) override { return std::exchange(SizeChangedResult, false); }
  TCoord GetLargestWindowSize(THandle output) override;
  bool SetScreenBufferSize(THandle output, TCoord size) override;
  bool SetWindowInfo(THandle output, bool absolute, const TSmallRect &window) override;
  uint32_t GetOutputCP() override;
  bool SetCursorInfo(THandle output, uint32_t size, bool visible) override;
  uint32_t GetLastError() override;
  std::string GetLastErrorText() override { return LastErrorText; }
  bool PeekInput(THandle input, TInputRecord &event, uint32_t &count) override;
  bool ReadInput(THandle input, TInputRecord &event, uint32_t &count) override;

  // Queues a typed character as Windows delivers it: key down, then key up.
  void TypeKey(char ch);
  void PushEvent(const TInputRecord &event);
  static TInputRecord KeyRecord(char ch, bool down);

  // Every call in order, e.g. "SetScreenBufferSize(11,127,6)".
  std::vector<std::string> Calls;

  // Scripted results.
  bool FreeResult = true;
  bool AllocResult = true;
  bool TitleResult = true;
  bool BufferInfoResult = true;
  bool SizeChangedResult = false;
  TScreenBufferInfo BufferInfo = DefaultBufferInfo();
  TCoord LargestWindow{132, 50};
  // Results of successive SetScreenBufferSize calls; true once these run out.
  std::deque<bool> BufferSizeResults;
  bool WindowInfoResult = true;
  uint32_t OutputCP = 437;
  bool CursorResult = true;
  uint32_t LastError = 0;
  std::string LastErrorText;
  bool PeekResult = true;
  std::deque<TInputRecord> Input;

  // What the calls left behind.
  std::string Title;
  TSmallRect Window;
  uint32_t CursorSize = 25;
  bool CursorVisible = true;

private:
  static TScreenBufferInfo DefaultBufferInfo();
};
