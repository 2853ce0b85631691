// The Windows output stream: CR LF lines on the standard output handle,
// flushed per line to a console and written in 128-byte blocks to files and
// pipes. The handle is taken afresh for every write, so output follows the
// new console when the program allocates one. Imported UTF-8 text goes to a
// console as UTF-16 (WriteConsoleW) and to files and pipes as UTF-8; so does
// text in the ANSI code page that comes from the system, such as file names.
#include "platform/Output.h"

#include "platform/win32/WindowsApi.h"

#include "base/Errors.h"
#include "base/TextRender.h"
#include "platform/Charsets.h"

namespace {

constexpr size_t BlockSize = 128;

class TWin32Output : public IOutput {
public:
  void WriteLine(const std::string &line) override {
    const HANDLE handle = TakeHandle();
    FBuffer += line;
    FBuffer += "\r\n";
    DWORD mode;
    if (GetConsoleMode(handle, &mode)) {
      Flush();
      return;
    }
    WriteBlocks(handle);
  }

  void WriteTextLine(const std::string &utf8, bool styled) override {
    const HANDLE handle = TakeHandle();
    DWORD mode;
    if (!GetConsoleMode(handle, &mode)) {
      FBuffer += RenderText(utf8, false, false);
      FBuffer += "\r\n";
      WriteBlocks(handle);
      return;
    }
    Flush();
    // Styles need the console's escape sequence support (Windows 10 on); the
    // console's own mode is given back after the line.
    const bool vt = styled && SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    const bool sgr = vt && ShowsStyles(handle);
    const std::wstring wide = Widen(RenderText(utf8, true, sgr) + "\r\n");
    DWORD error = 0;
    for (size_t done = 0; done < wide.size() && error == 0;) {
      DWORD wrote = 0;
      const DWORD want = static_cast<DWORD>(wide.size() - done);
      if (!WriteConsoleW(handle, wide.data() + done, want, &wrote, nullptr))
        error = GetLastError();
      else if (wrote == 0)
        error = ERROR_WRITE_FAULT;
      done += wrote;
    }
    if (vt) SetConsoleMode(handle, mode);
    if (error != 0) Raise(EInOutError(static_cast<int>(error)));
  }

  // A console gets the ANSI text decoded, as UTF-16; a file the bytes.
  void WriteSystemLine(const std::string &line) override {
    DWORD mode;
    std::string utf8;
    if (GetConsoleMode(TakeHandle(), &mode) && DecodeCodePage(line, std::to_string(GetACP()), utf8))
      WriteTextLine(utf8, false);
    else
      WriteLine(line);
  }

  void Flush() override {
    std::string rest;
    rest.swap(FBuffer);
    if (!rest.empty()) WriteBlock(FBufferHandle, rest);
  }

private:
  // Whether the console turns escape sequences into styles, asked once per
  // console: a reset is written and the cursor must not have moved. Some
  // consoles accept the mode and still show the sequence as text (Wine's);
  // there the probe is wiped out again and lines stay plain.
  bool ShowsStyles(HANDLE handle) {
    if (handle == FProbed) return FShowsStyles;
    FProbed = handle;
    FShowsStyles = false;
    CONSOLE_SCREEN_BUFFER_INFO before, after;
    DWORD wrote = 0;
    if (!GetConsoleScreenBufferInfo(handle, &before) ||
        !WriteConsoleW(handle, L"\x1b[0m", 4, &wrote, nullptr) ||
        !GetConsoleScreenBufferInfo(handle, &after))
      return false;
    const COORD from = before.dwCursorPosition, to = after.dwCursorPosition;
    const long moved = (to.Y - from.Y) * static_cast<long>(before.dwSize.X) + (to.X - from.X);
    if (moved == 0) return FShowsStyles = true;
    if (moved > 0)
      FillConsoleOutputCharacterW(handle, L' ', static_cast<DWORD>(moved), from, &wrote);
    SetConsoleCursorPosition(handle, from);
    return false;
  }

  // The current standard output; what was buffered belongs to the stream it
  // was written for, so it goes out first when the handle has changed.
  HANDLE TakeHandle() {
    const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!FBuffer.empty() && handle != FBufferHandle) Flush();
    FBufferHandle = handle;
    return handle;
  }

  void WriteBlocks(HANDLE handle) {
    while (FBuffer.size() >= BlockSize) {
      const std::string block = FBuffer.substr(0, BlockSize);
      FBuffer.erase(0, BlockSize);
      WriteBlock(handle, block);
    }
  }

  static std::wstring Widen(const std::string &utf8) {
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
  }

  // A failed block is dropped with whatever else was waiting, so a later
  // report starts on a clean buffer.
  void WriteBlock(HANDLE handle, const std::string &bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD wrote = 0;
      const DWORD want = static_cast<DWORD>(bytes.size() - done);
      if (!WriteFile(handle, bytes.data() + done, want, &wrote, nullptr)) {
        const DWORD error = GetLastError();
        FBuffer.clear();
        Raise(EInOutError(static_cast<int>(error)));
      }
      if (wrote == 0) {
        FBuffer.clear();
        Raise(EInOutError(101)); // nothing taken without an error: the disk is full
      }
      done += wrote;
    }
  }

  std::string FBuffer;
  HANDLE FBufferHandle = nullptr;
  HANDLE FProbed = nullptr;
  bool FShowsStyles = false;
};

} // namespace

std::unique_ptr<IOutput> CreatePlatformOutput(ICodePages &) {
  return std::make_unique<TWin32Output>();
}
