// The Windows output stream: CR LF lines on the standard output handle,
// flushed per line to a console and written in 128-byte blocks to files and
// pipes. The handle is taken afresh for every write, so output follows the
// new console when the program allocates one.
#include "platform/Output.h"

#include "platform/win32/WindowsApi.h"

#include "platform/Errors.h"

namespace {

constexpr size_t BlockSize = 128;

class TWin32Output : public IOutput {
public:
  void WriteLine(const std::string &line) override {
    const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    // What was buffered belongs to the stream it was written for.
    if (!FBuffer.empty() && handle != FBufferHandle) Flush();
    FBufferHandle = handle;
    FBuffer += line;
    FBuffer += "\r\n";
    DWORD mode;
    if (GetConsoleMode(handle, &mode)) {
      Flush();
      return;
    }
    while (FBuffer.size() >= BlockSize) {
      const std::string block = FBuffer.substr(0, BlockSize);
      FBuffer.erase(0, BlockSize);
      WriteBlock(handle, block);
    }
  }

  void Flush() override {
    std::string rest;
    rest.swap(FBuffer);
    if (!rest.empty()) WriteBlock(FBufferHandle, rest);
  }

private:
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
};

} // namespace

std::unique_ptr<IOutput> CreatePlatformOutput(ICodePages &) {
  return std::make_unique<TWin32Output>();
}
