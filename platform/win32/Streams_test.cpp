// The Windows side of the stream tests: the test peer (a named pipe made with
// CreateNamedPipeW, a Winsock listener on 127.0.0.1), and what only Windows
// does: the forms of a pipe's name, a busy pipe, the system's own words.
#include "platform/win32/WindowsApi.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Loop.h"
#include "platform/StreamTestPeer.h"
#include "platform/win32/SystemText.h"

namespace {

TStreamAddress PipeAddress(const std::string &name) {
  TStreamAddress address;
  address.Path = name;
  return address;
}

std::string UniquePipeName() {
  static std::atomic<int> count{0};
  return "cuestrip-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
}

HANDLE MakePipe(const std::string &name, bool first) {
  return CreateNamedPipeW(WideOfUtf8("\\\\.\\pipe\\" + name).c_str(),
                          PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED |
                              (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                          PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                          4096, 4096, 0, nullptr);
}

// One overlapped operation waited for: the bytes it moved, -1 when it failed
// or `ms` passed (it is then cancelled).
long Finish(HANDLE file, OVERLAPPED &overlapped, BOOL started, DWORD ms) {
  DWORD count = 0;
  if (!started && GetLastError() != ERROR_IO_PENDING) return -1;
  if (WaitForSingleObject(overlapped.hEvent, ms) != WAIT_OBJECT_0) {
    CancelIoEx(file, &overlapped);
    GetOverlappedResult(file, &overlapped, &count, TRUE);
    return count > 0 ? long(count) : -1;
  }
  return GetOverlappedResult(file, &overlapped, &count, FALSE) ? long(count) : -1;
}

struct TEvent {
  HANDLE Handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~TEvent() { CloseHandle(Handle); }
};

class TPipePeer : public IStreamTestPeer {
public:
  TPipePeer() : FName(UniquePipeName()), FPipe(MakePipe(FName, true)) {}
  ~TPipePeer() override { HangUp(); }

  TStreamAddress Address() const override { return PipeAddress(FName); }

  bool Accept() override {
    TEvent event;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.Handle;
    if (ConnectNamedPipe(FPipe, &overlapped) || GetLastError() == ERROR_PIPE_CONNECTED) return true;
    return Finish(FPipe, overlapped, FALSE, 5000) >= 0;
  }

  bool Send(std::string_view bytes) override {
    TEvent event;
    while (!bytes.empty()) {
      OVERLAPPED overlapped{};
      overlapped.hEvent = event.Handle;
      BOOL started = WriteFile(FPipe, bytes.data(), DWORD(bytes.size()), nullptr, &overlapped);
      long count = Finish(FPipe, overlapped, started, INFINITE);
      if (count <= 0) return false;
      bytes.remove_prefix(size_t(count));
    }
    return true;
  }

  std::string Receive(size_t count, double seconds) override {
    const ULONGLONG giveUp = GetTickCount64() + ULONGLONG(seconds * 1000);
    std::string got;
    TEvent event;
    std::string buffer(65536, '\0');
    while (got.size() < count && GetTickCount64() < giveUp) {
      OVERLAPPED overlapped{};
      overlapped.hEvent = event.Handle;
      BOOL started = ReadFile(FPipe, buffer.data(), DWORD(buffer.size()), nullptr, &overlapped);
      long taken = Finish(FPipe, overlapped, started, DWORD(giveUp - GetTickCount64()));
      if (taken < 0) break;
      got.append(buffer, 0, size_t(taken));
    }
    return got;
  }

  // Closing the handle (not disconnecting) leaves the bytes sent readable.
  void HangUp() override {
    if (FPipe != INVALID_HANDLE_VALUE) CloseHandle(FPipe);
    FPipe = INVALID_HANDLE_VALUE;
  }

private:
  std::string FName;
  HANDLE FPipe;
};

void StartWinsock() {
  static WSADATA data;
  static int started = WSAStartup(MAKEWORD(2, 2), &data);
  (void)started;
}

class TTcpPeer : public IStreamTestPeer {
public:
  TTcpPeer() {
    StartWinsock();
    FListener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    // A small window, so the stream's writes have to wait for room.
    int window = 4096;
    setsockopt(FListener, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char *>(&window), sizeof window);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(FListener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    listen(FListener, 4);
    getsockname(FListener, reinterpret_cast<sockaddr *>(&address), &length);
    FPort = ntohs(address.sin_port);
  }
  ~TTcpPeer() override {
    HangUp();
    closesocket(FListener);
  }

  TStreamAddress Address() const override {
    return TStreamAddress{TStreamAddress::saTcp, "", "127.0.0.1", FPort};
  }

  bool Accept() override {
    if (!Readable(FListener, 5000)) return false;
    FSocket = accept(FListener, nullptr, nullptr);
    return FSocket != INVALID_SOCKET;
  }

  bool Send(std::string_view bytes) override {
    while (!bytes.empty()) {
      int count = send(FSocket, bytes.data(), int(bytes.size()), 0);
      if (count <= 0) return false;
      bytes.remove_prefix(size_t(count));
    }
    return true;
  }

  std::string Receive(size_t count, double seconds) override {
    const ULONGLONG giveUp = GetTickCount64() + ULONGLONG(seconds * 1000);
    std::string got;
    char buffer[65536];
    while (got.size() < count && GetTickCount64() < giveUp) {
      if (!Readable(FSocket, long(giveUp - GetTickCount64()))) break;
      int taken = recv(FSocket, buffer, sizeof buffer, 0);
      if (taken <= 0) break;
      got.append(buffer, size_t(taken));
    }
    return got;
  }

  void HangUp() override {
    if (FSocket == INVALID_SOCKET) return;
    shutdown(FSocket, SD_SEND);
    closesocket(FSocket);
    FSocket = INVALID_SOCKET;
  }

private:
  static bool Readable(SOCKET socket, long ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{ms / 1000, (ms % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
  }

  SOCKET FListener = INVALID_SOCKET;
  SOCKET FSocket = INVALID_SOCKET;
  uint16_t FPort = 0;
};

// A port bound but not listened on: connections to it are refused.
uint16_t RefusingPort() {
  StartWinsock();
  SOCKET held = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  bind(held, reinterpret_cast<sockaddr *>(&address), sizeof address);
  getsockname(held, reinterpret_cast<sockaddr *>(&address), &length);
  closesocket(held);
  return ntohs(address.sin_port);
}

} // namespace

std::unique_ptr<IStreamTestPeer> CreateStreamTestPeer(TStreamAddress::TKind kind) {
  if (kind == TStreamAddress::saLocal) return std::make_unique<TPipePeer>();
  return std::make_unique<TTcpPeer>();
}

TStreamAddress UnservedStreamAddress(TStreamAddress::TKind kind) {
  if (kind == TStreamAddress::saLocal) return PipeAddress(UniquePipeName());
  return TStreamAddress{TStreamAddress::saTcp, "", "127.0.0.1", RefusingPort()};
}

namespace {

struct TConnected {
  std::unique_ptr<ILoop> Loop = CreatePlatformLoop();
  std::unique_ptr<IStreamConnector> Streams = CreatePlatformStreams(*Loop);
  std::string Received;
  std::string Error;

  std::unique_ptr<IByteStream> Connect(const TStreamAddress &address) {
    return Streams->Connect(
        address,
        TStreamHandlers{[this](std::string_view bytes) { Received.append(bytes); }, nullptr},
        Error);
  }
};

// Every form of a pipe's name reaches the same pipe.
TEST(Win32Streams, APipeIsNamedBareOrByItsFullPath) {
  for (const char *prefix : {"", "\\\\.\\pipe\\", "\\\\?\\pipe\\", "\\\\.\\PIPE\\"}) {
    const std::string name = UniquePipeName();
    HANDLE pipe = MakePipe(name, true);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    TConnected side;
    auto stream = side.Connect(PipeAddress(prefix + name));
    EXPECT_TRUE(stream) << "'" << prefix << "': " << side.Error;
    if (stream) {
      stream->Write("hi");
      EXPECT_TRUE(stream->IsOpen());
    }
    CloseHandle(pipe);
  }
}

TEST(Win32Streams, ConnectionErrorsAreTheSystemsOwnWords) {
  TConnected side;
  EXPECT_FALSE(side.Connect(UnservedStreamAddress(TStreamAddress::saLocal)));
  EXPECT_EQ(side.Error, SystemErrorText(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(side.Connect(UnservedStreamAddress(TStreamAddress::saTcp)));
  EXPECT_EQ(side.Error, SystemErrorText(WSAECONNREFUSED));
  EXPECT_FALSE(side.Connect(TStreamAddress{TStreamAddress::saTcp, "", "no-such-host.invalid", 80}));
  EXPECT_FALSE(side.Error.empty());
}

TEST(Win32Streams, SystemTextEndsWithoutPeriodOrLineBreak) {
  for (uint32_t code :
       {uint32_t(ERROR_FILE_NOT_FOUND), uint32_t(ERROR_ACCESS_DENIED), uint32_t(WSAECONNREFUSED)}) {
    const std::string text = SystemErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_NE(text.back(), '.') << text;
    EXPECT_GT(static_cast<unsigned char>(text.back()), ' ') << code;
  }
  EXPECT_EQ(SystemErrorText(0x2FFFFFFF), "error 805306367");
}

// Every instance serving another client: the connector waits for a free one.
TEST(Win32Streams, ABusyPipeIsWaitedForBriefly) {
  const std::string name = UniquePipeName();
  HANDLE first = MakePipe(name, true);
  TConnected side;
  auto taken = side.Connect(PipeAddress(name));
  ASSERT_TRUE(taken) << side.Error;
  HANDLE second = INVALID_HANDLE_VALUE;
  TEvent event;
  OVERLAPPED listening{};
  listening.hEvent = event.Handle;
  std::thread server([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    second = MakePipe(name, false);
    ConnectNamedPipe(second, &listening); // a server's next instance waits so
  });
  const ULONGLONG start = GetTickCount64();
  auto stream = side.Connect(PipeAddress(name));
  const ULONGLONG took = GetTickCount64() - start;
  server.join();
  EXPECT_TRUE(stream) << side.Error;
  EXPECT_GE(took, 250u);
  EXPECT_LT(took, 1800u);
  stream.reset();
  CloseHandle(first);
  if (second != INVALID_HANDLE_VALUE) {
    CancelIoEx(second, &listening);
    CloseHandle(second);
  }
}

// A loop that cannot watch one more handle refuses the connection rather
// than leave it unserved; the pipe is closed, so its server sees the end.
TEST(Win32Streams, AConnectionTheLoopCannotWatchIsRefused) {
  TConnected side;
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<uintptr_t> fillers;
  for (;;) {
    uintptr_t id = side.Loop->Watch(TWatch{reinterpret_cast<TWaitHandle>(event),
                                           [] { return unsigned(wfRead); }, nullptr, nullptr});
    if (id == 0) break;
    fillers.push_back(id);
  }
  side.Loop->Unwatch(fillers.back()); // room for one handle, a pipe needs two
  fillers.pop_back();
  auto peer = CreateStreamTestPeer(TStreamAddress::saLocal);
  EXPECT_FALSE(side.Connect(peer->Address()));
  EXPECT_EQ(side.Error, "the loop watches all the handles it can");
  EXPECT_FALSE(peer->Accept()) << "the refused client's end is still open";

  auto tcp = CreateStreamTestPeer(TStreamAddress::saTcp);
  auto stream = side.Connect(tcp->Address()); // a socket needs one
  EXPECT_TRUE(stream) << side.Error;
  for (uintptr_t id : fillers)
    side.Loop->Unwatch(id);
  stream.reset();
  CloseHandle(event);
}

} // namespace
