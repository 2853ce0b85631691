// The byte-stream service on Windows: a named pipe's client end for a local
// address, Winsock TCP for HOST:PORT. Connecting is done at once, within two
// seconds for a busy pipe and within a few seconds for TCP.
#include "platform/win32/WindowsApi.h"

#include "platform/Streams.h"

#include "base/Ascii.h"
#include "platform/win32/StreamKinds.h"
#include "platform/win32/SystemText.h"

namespace {

constexpr DWORD PipeBusyWaitMs = 2000;
constexpr long ConnectWaitMs = 3000;

// A bare NAME is a pipe of that name; a full pipe path is kept.
std::string PipePath(const std::string &path) {
  if (StartsWithNoCase(path, "\\\\.\\pipe\\") || StartsWithNoCase(path, "\\\\?\\pipe\\"))
    return path;
  return "\\\\.\\pipe\\" + path;
}

// Every instance of a busy pipe is serving another client: waits for one to
// be free, up to the limit in all, and tries again.
HANDLE ConnectPipe(const std::string &path, std::string &error) {
  const std::wstring name = WideOfUtf8(PipePath(path));
  const ULONGLONG giveUp = ::GetTickCount64() + PipeBusyWaitMs;
  for (;;) {
    HANDLE pipe = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return pipe;
    DWORD code = ::GetLastError();
    const ULONGLONG now = ::GetTickCount64();
    if (code != ERROR_PIPE_BUSY || now >= giveUp) {
      error = SystemErrorText(code);
      return nullptr;
    }
    // A pipe that vanished meanwhile is reported by the next CreateFileW.
    ::WaitNamedPipeW(name.c_str(), static_cast<DWORD>(giveUp - now));
  }
}

// Winsock is started once for the program and stays up.
bool StartWinsock(std::string &error) {
  static int status = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data);
  }();
  if (status != 0) error = SystemErrorText(static_cast<uint32_t>(status));
  return status == 0;
}

// A non-blocking connect, waited for within the limit; the error of a
// refused connection comes as the socket's own error.
bool ConnectSocket(SOCKET socket, const addrinfoW *at, int &code) {
  u_long nonBlocking = 1;
  ::ioctlsocket(socket, FIONBIO, &nonBlocking);
  if (::connect(socket, at->ai_addr, static_cast<int>(at->ai_addrlen)) == 0) return true;
  code = ::WSAGetLastError();
  if (code != WSAEWOULDBLOCK) return false;
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(socket, &writable);
  FD_SET(socket, &failed);
  timeval wait{ConnectWaitMs / 1000, (ConnectWaitMs % 1000) * 1000};
  int ready = ::select(0, nullptr, &writable, &failed, &wait);
  if (ready == 0) {
    code = WSAETIMEDOUT;
    return false;
  }
  if (ready < 0) {
    code = ::WSAGetLastError();
    return false;
  }
  if (FD_ISSET(socket, &writable)) return true;
  int soError = 0;
  int length = sizeof soError;
  ::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&soError), &length);
  code = soError != 0 ? soError : WSAECONNREFUSED;
  return false;
}

// Each address the name gives, in turn.
SOCKET ConnectTcp(const std::string &host, uint16_t port, std::string &error) {
  if (!StartWinsock(error)) return INVALID_SOCKET;
  ADDRINFOW hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ADDRINFOW *found = nullptr;
  int status =
      ::GetAddrInfoW(WideOfUtf8(host).c_str(), std::to_wstring(port).c_str(), &hints, &found);
  if (status != 0) {
    error = SystemErrorText(static_cast<uint32_t>(status));
    return INVALID_SOCKET;
  }
  SOCKET connected = INVALID_SOCKET;
  error = "no address";
  for (ADDRINFOW *at = found; at && connected == INVALID_SOCKET; at = at->ai_next) {
    SOCKET socket = ::WSASocketW(at->ai_family, at->ai_socktype, at->ai_protocol, nullptr, 0,
                                 WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    int code = 0;
    if (socket == INVALID_SOCKET)
      code = ::WSAGetLastError();
    else if (ConnectSocket(socket, at, code))
      connected = socket;
    else
      ::closesocket(socket);
    if (connected == INVALID_SOCKET) error = SystemErrorText(static_cast<uint32_t>(code));
  }
  ::FreeAddrInfoW(found);
  return connected;
}

class TWin32Streams : public IStreamConnector {
public:
  explicit TWin32Streams(ILoop &loop) : FLoop(loop) {}
  std::unique_ptr<IByteStream> Connect(const TStreamAddress &address, TStreamHandlers handlers,
                                       std::string &error) override {
    if (address.Kind == TStreamAddress::saLocal) {
      HANDLE pipe = ConnectPipe(address.Path, error);
      return pipe ? CreatePipeStream(FLoop, pipe, std::move(handlers), error) : nullptr;
    }
    SOCKET socket = ConnectTcp(address.Host, address.Port, error);
    if (socket == INVALID_SOCKET) return nullptr;
    return CreateSocketStream(FLoop, static_cast<uintptr_t>(socket), std::move(handlers), error);
  }

private:
  ILoop &FLoop;
};

} // namespace

std::unique_ptr<IStreamConnector> CreatePlatformStreams(ILoop &loop) {
  return std::make_unique<TWin32Streams>(loop);
}
