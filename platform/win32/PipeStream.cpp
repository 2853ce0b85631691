// A named pipe's client end as a byte stream: one overlapped read always in
// flight (a peer such as mpv stalls when its client stops reading) and one
// overlapped write of the bytes kept, each with a manual-reset event the loop
// watches. Their outcomes are taken with GetOverlappedResult.
#include "platform/win32/StreamKinds.h"

#include <cmath>

#include "platform/Loop.h"
#include "platform/StreamBase.h"
#include "platform/win32/SystemText.h"
#include "platform/win32/WindowsApi.h"

namespace {

// The peer ending the pipe is a clean end, not a failure.
bool PeerEnded(DWORD code) {
  return code == ERROR_BROKEN_PIPE || code == ERROR_PIPE_NOT_CONNECTED || code == ERROR_NO_DATA;
}

std::string ReasonOf(DWORD code) { return PeerEnded(code) ? std::string() : SystemErrorText(code); }

class TPipeStream : public TByteStreamBase {
public:
  TPipeStream(ILoop &loop, HANDLE pipe, TStreamHandlers handlers)
      : TByteStreamBase(std::move(handlers)), FLoop(loop), FPipe(pipe) {
    FRead.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FWrite.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FReadWatch = FLoop.Watch(TWatch{reinterpret_cast<TWaitHandle>(FRead.hEvent),
                                    [this] { return FReading ? unsigned(wfRead) : 0u; }, nullptr,
                                    [this](unsigned) { Serve(); }});
    FWriteWatch = FLoop.Watch(TWatch{reinterpret_cast<TWaitHandle>(FWrite.hEvent),
                                     [this] { return FWriting ? unsigned(wfWrite) : 0u; }, nullptr,
                                     [this](unsigned) { Serve(); }});
    if (Watched()) StartRead();
  }

  bool Watched() const { return FReadWatch != 0 && FWriteWatch != 0; }

  ~TPipeStream() override {
    Close();
    ::CloseHandle(FRead.hEvent);
    ::CloseHandle(FWrite.hEvent);
  }

  bool WaitForInput(double seconds) override {
    const TWaitDeadline deadline(seconds);
    while (IsOpen()) {
      const long long left = deadline.MillisecondsLeft();
      HANDLE events[2] = {FRead.hEvent, FWrite.hEvent};
      DWORD woke = left == 0 ? WAIT_TIMEOUT
                             : ::WaitForMultipleObjects(FWriting ? 2 : 1, events, FALSE,
                                                        static_cast<DWORD>(left));
      if (woke != WAIT_OBJECT_0 && woke != WAIT_OBJECT_0 + 1) return false;
      Flush();
      if (Receive() > 0) return true;
    }
    return false;
  }

  bool IsOpen() const override { return FPipe != INVALID_HANDLE_VALUE; }

  // Cancels what is in flight and waits for it: the system writes into the
  // buffers until then.
  void Close() override {
    if (!IsOpen()) return;
    if (FReadWatch) FLoop.Unwatch(FReadWatch);
    if (FWriteWatch) FLoop.Unwatch(FWriteWatch);
    FReadWatch = FWriteWatch = 0;
    if (FReading || FWriting) ::CancelIoEx(FPipe, nullptr);
    DWORD count = 0;
    if (FReading && FReadError == 0) ::GetOverlappedResult(FPipe, &FRead, &count, TRUE);
    if (FWriting && FWriteError == 0) ::GetOverlappedResult(FPipe, &FWrite, &count, TRUE);
    FReading = FWriting = false;
    ::CloseHandle(FPipe);
    FPipe = INVALID_HANDLE_VALUE;
    FOut.clear();
    FPending.clear();
  }

private:
  void Serve() {
    Flush();
    Receive();
  }

  // A failure found when the operation starts is kept and its event set, so
  // it is taken like any other outcome.
  void StartRead() {
    FReadError = 0;
    if (!::ReadFile(FPipe, FBuffer, sizeof FBuffer, nullptr, &FRead)) {
      DWORD code = ::GetLastError();
      if (code != ERROR_IO_PENDING && code != ERROR_MORE_DATA) {
        FReadError = code;
        ::SetEvent(FRead.hEvent);
      }
    }
    FReading = true;
  }

  // Delivers the reads that have completed, up to the budget, each followed
  // by the next; the bytes delivered.
  size_t Receive() {
    size_t taken = 0;
    while (FReading && taken < StreamReadBudget) {
      DWORD count = 0;
      if (FReadError == 0 && !::GetOverlappedResult(FPipe, &FRead, &count, FALSE)) {
        DWORD code = ::GetLastError();
        if (code == ERROR_IO_INCOMPLETE) break;
        if (code != ERROR_MORE_DATA) FReadError = code; // more of a message comes next
      }
      FReading = false;
      if (FReadError != 0) {
        Lost(ReasonOf(FReadError));
        break;
      }
      taken += count;
      if (count > 0) Deliver(std::string_view(FBuffer, count));
      if (IsOpen()) StartRead();
    }
    return taken;
  }

  // Takes the write in flight when it has completed and starts the next with
  // what is kept; the bytes of a write in flight stay where they are.
  size_t InFlight() const override { return FOut.size(); }

  void Flush() override {
    while (IsOpen()) {
      if (FWriting) {
        DWORD count = 0;
        if (FWriteError == 0 && !::GetOverlappedResult(FPipe, &FWrite, &count, FALSE)) {
          DWORD code = ::GetLastError();
          if (code == ERROR_IO_INCOMPLETE) return;
          FWriteError = code;
        }
        FWriting = false;
        if (FWriteError != 0) return Lost(ReasonOf(FWriteError));
        FOut.erase(0, count);
      }
      if (FOut.empty()) {
        if (FPending.empty()) return;
        FOut.swap(FPending);
      }
      FWriteError = 0;
      if (!::WriteFile(FPipe, FOut.data(), static_cast<DWORD>(FOut.size()), nullptr, &FWrite)) {
        DWORD code = ::GetLastError();
        if (code != ERROR_IO_PENDING) FWriteError = code;
      }
      FWriting = true;
    }
  }

  ILoop &FLoop;
  HANDLE FPipe;
  OVERLAPPED FRead{};
  OVERLAPPED FWrite{};
  uintptr_t FReadWatch = 0;
  uintptr_t FWriteWatch = 0;
  bool FReading = false;
  bool FWriting = false;
  DWORD FReadError = 0;
  DWORD FWriteError = 0;
  char FBuffer[65536];
  // The bytes of the write in flight (those kept for the next are FPending).
  std::string FOut;
};

} // namespace

std::unique_ptr<IByteStream> CreatePipeStream(ILoop &loop, void *pipe, TStreamHandlers handlers,
                                              std::string &error) {
  auto stream = std::make_unique<TPipeStream>(loop, static_cast<HANDLE>(pipe), std::move(handlers));
  if (stream->Watched()) return stream;
  error = LoopFullText;
  return nullptr;
}
