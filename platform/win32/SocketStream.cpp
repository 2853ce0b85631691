// A connected TCP socket as a byte stream: non-blocking recv and send, with
// the socket's network events (read, write, close) on an event the loop
// watches, taken with WSAEnumNetworkEvents.
#include "platform/win32/WindowsApi.h"

#include "platform/win32/StreamKinds.h"

#include "platform/Loop.h"
#include "platform/StreamBase.h"
#include "platform/win32/SystemText.h"

namespace {

// recv or send found nothing to do now.
bool WouldBlock(int code) { return code == WSAEWOULDBLOCK || code == WSAEINTR; }

class TSocketStream : public TByteStreamBase {
public:
  TSocketStream(ILoop &loop, SOCKET socket, TStreamHandlers handlers)
      : TByteStreamBase(std::move(handlers)), FLoop(loop), FSocket(socket),
        FEvent(::WSACreateEvent()) {
    ::WSAEventSelect(FSocket, FEvent, FD_READ | FD_WRITE | FD_CLOSE);
    FWatch =
        FLoop.Watch(TWatch{reinterpret_cast<TWaitHandle>(FEvent), [] { return unsigned(wfRead); },
                           nullptr, [this](unsigned) { Serve(); }});
  }

  bool Watched() const { return FWatch != 0; }

  ~TSocketStream() override {
    Close();
    ::WSACloseEvent(FEvent);
  }

  bool WaitForInput(double seconds) override {
    const TWaitDeadline deadline(seconds);
    while (IsOpen()) {
      const long long left = deadline.MillisecondsLeft();
      if (left == 0 || ::WaitForSingleObject(FEvent, static_cast<DWORD>(left)) != WAIT_OBJECT_0)
        return false;
      if (Serve() > 0) return true;
    }
    return false;
  }

  bool IsOpen() const override { return FSocket != INVALID_SOCKET; }

  void Close() override {
    if (!IsOpen()) return;
    if (FWatch) FLoop.Unwatch(FWatch);
    FWatch = 0;
    ::closesocket(FSocket);
    FSocket = INVALID_SOCKET;
    FPending.clear();
  }

private:
  // Sends and reads whatever the events say (recv and send are cheap when
  // there is nothing); the bytes delivered.
  size_t Serve() {
    WSANETWORKEVENTS events{};
    if (::WSAEnumNetworkEvents(FSocket, FEvent, &events) != 0) {
      Lost(SystemErrorText(::WSAGetLastError()));
      return 0;
    }
    if (events.lNetworkEvents & FD_CLOSE) {
      FPeerClosed = true;
      FCloseError = events.iErrorCode[FD_CLOSE_BIT];
    }
    Flush();
    bool drained = false;
    size_t taken = Receive(drained);
    if (IsOpen() && !drained) ::WSASetEvent(FEvent); // the budget ran out: back next turn
    // The close comes after the last bytes; recv has said so when it could.
    if (IsOpen() && drained && FPeerClosed)
      Lost(FCloseError == 0 ? std::string() : SystemErrorText(FCloseError));
    return taken;
  }

  // Reads what there is, up to the budget; `drained` when recv had no more.
  size_t Receive(bool &drained) {
    char buffer[65536];
    size_t taken = 0;
    while (IsOpen() && taken < StreamReadBudget) {
      int count = ::recv(FSocket, buffer, sizeof buffer, 0);
      if (count > 0) {
        taken += static_cast<size_t>(count);
        Deliver(std::string_view(buffer, size_t(count)));
        continue;
      }
      int code = count == 0 ? 0 : ::WSAGetLastError();
      if (count < 0 && WouldBlock(code)) {
        drained = true;
        break;
      }
      Lost(count == 0 ? std::string() : SystemErrorText(code));
      break;
    }
    return taken;
  }

  // Sends what the socket takes; FD_WRITE comes once it has room again.
  void Flush() override {
    while (IsOpen() && !FPending.empty()) {
      int count = ::send(FSocket, FPending.data(), static_cast<int>(FPending.size()), 0);
      if (count < 0) {
        int code = ::WSAGetLastError();
        if (WouldBlock(code)) return;
        return Lost(SystemErrorText(code));
      }
      FPending.erase(0, static_cast<size_t>(count));
    }
  }

  ILoop &FLoop;
  SOCKET FSocket;
  WSAEVENT FEvent;
  uintptr_t FWatch = 0;
  bool FPeerClosed = false;
  int FCloseError = 0;
};

} // namespace

std::unique_ptr<IByteStream> CreateSocketStream(ILoop &loop, uintptr_t socket,
                                                TStreamHandlers handlers, std::string &error) {
  auto stream =
      std::make_unique<TSocketStream>(loop, static_cast<SOCKET>(socket), std::move(handlers));
  if (stream->Watched()) return stream;
  error = LoopFullText;
  return nullptr;
}
