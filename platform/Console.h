// Console service: the Win32 console calls the program makes, in the system's
// own terms (handles, 16-bit coordinates, input records).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/CodePages.h"

using THandle = intptr_t;
constexpr THandle InvalidHandle = -1;

enum TStdHandle { StdInputHandle, StdOutputHandle };

struct TCoord {
  int16_t X = 0; // columns
  int16_t Y = 0; // rows
};

struct TSmallRect {
  int16_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TScreenBufferInfo {
  TCoord Size;
  TCoord CursorPosition;
  TSmallRect Window;
  TCoord MaximumWindowSize;
};

constexpr uint16_t KeyEvent = 1;

// The parts of a console input record that the program reads.
struct TInputRecord {
  uint16_t EventType = 0;
  int32_t KeyDown = 0;
  uint16_t RepeatCount = 0;
  uint16_t VirtualKeyCode = 0;
  char AsciiChar = 0;
};

class IConsole {
public:
  virtual ~IConsole() = default;
  virtual bool FreeConsole() = 0;
  virtual bool AllocConsole() = 0;
  virtual THandle GetStdHandle(TStdHandle which) = 0;
  virtual bool SetConsoleTitle(const std::string &title) = 0;
  virtual bool GetScreenBufferInfo(THandle output, TScreenBufferInfo &info) = 0;
  // True when the console's width may differ from what GetScreenBufferInfo
  // last gave for `output` (the window was resized since); asking again then
  // tells the width. Cheap enough to ask before every subtitle.
  virtual bool SizeChanged(THandle output) = 0;
  // Columns and rows; 0 by 0 when it cannot be found.
  virtual TCoord GetLargestWindowSize(THandle output) = 0;
  virtual bool SetScreenBufferSize(THandle output, TCoord size) = 0;
  virtual bool SetWindowInfo(THandle output, bool absolute, const TSmallRect &window) = 0;
  virtual uint32_t GetOutputCP() = 0;
  virtual bool SetCursorInfo(THandle output, uint32_t size, bool visible) = 0;
  virtual uint32_t GetLastError() = 0;
  // The last failure in words where its number says too little (a terminal
  // that kept its size); empty when the number is all there is.
  virtual std::string GetLastErrorText() { return ""; }
  // Looks at the first waiting input event without removing it; count is the
  // number of events copied (0 or 1). Never waits.
  virtual bool PeekInput(THandle input, TInputRecord &event, uint32_t &count) = 0;
  // Removes the first waiting input event.
  virtual bool ReadInput(THandle input, TInputRecord &event, uint32_t &count) = 0;
};

// `codePages` gives the console code page.
std::unique_ptr<IConsole> CreatePlatformConsole(ICodePages &codePages);
