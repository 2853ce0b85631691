// The POSIX side of the stream tests: the test peer (a Unix socket in a
// fresh directory, a TCP listener on 127.0.0.1) and the system's words for
// connections that fail.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/Loop.h"
#include "platform/StreamTestPeer.h"

namespace {

using TClock = std::chrono::steady_clock;

TStreamAddress SocketAddress(const std::string &path) {
  TStreamAddress address;
  address.Path = path;
  return address;
}

bool Readable(int fd, long ms) {
  pollfd wait{fd, POLLIN, 0};
  return poll(&wait, 1, static_cast<int>(ms < 0 ? 0 : ms)) == 1;
}

// A loopback socket bound to a port of its own.
int BoundTcp(uint16_t &port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

class TSocketPeer : public IStreamTestPeer {
public:
  explicit TSocketPeer(TStreamAddress::TKind kind) {
    FAddress.Kind = kind;
    if (kind == TStreamAddress::saTcp) {
      FListener = BoundTcp(FAddress.Port);
      // A small window, so the stream's writes have to wait for room.
      int window = 4096;
      setsockopt(FListener, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
      FAddress.Host = "127.0.0.1";
    } else {
      char directory[] = "/tmp/cuestrip-streams-XXXXXX";
      FDirectory = mkdtemp(directory);
      FAddress.Path = FDirectory + "/peer.sock";
      FListener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::strcpy(address.sun_path, FAddress.Path.c_str());
      bind(FListener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    listen(FListener, 4);
  }
  ~TSocketPeer() override {
    HangUp();
    close(FListener);
    if (!FDirectory.empty()) {
      unlink(FAddress.Path.c_str());
      rmdir(FDirectory.c_str());
    }
  }

  TStreamAddress Address() const override { return FAddress; }

  bool Accept() override {
    if (!Readable(FListener, 5000)) return false;
    FSocket = accept(FListener, nullptr, nullptr);
    return FSocket >= 0;
  }

  bool Send(std::string_view bytes) override {
    while (!bytes.empty()) {
      ssize_t count = send(FSocket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (count <= 0) return false;
      bytes.remove_prefix(size_t(count));
    }
    return true;
  }

  std::string Receive(size_t count, double seconds) override {
    const auto giveUp = TClock::now() + std::chrono::duration<double>(seconds);
    std::string got;
    char buffer[65536];
    while (got.size() < count) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - TClock::now()).count();
      if (left <= 0 || !Readable(FSocket, left)) break;
      ssize_t taken = recv(FSocket, buffer, sizeof buffer, 0);
      if (taken <= 0) break;
      got.append(buffer, size_t(taken));
    }
    return got;
  }

  void HangUp() override {
    if (FSocket < 0) return;
    shutdown(FSocket, SHUT_WR);
    close(FSocket);
    FSocket = -1;
  }

private:
  TStreamAddress FAddress;
  std::string FDirectory;
  int FListener = -1;
  int FSocket = -1;
};

} // namespace

std::unique_ptr<IStreamTestPeer> CreateStreamTestPeer(TStreamAddress::TKind kind) {
  return std::make_unique<TSocketPeer>(kind);
}

// A bound port no one listens on refuses connections.
TStreamAddress UnservedStreamAddress(TStreamAddress::TKind kind) {
  if (kind == TStreamAddress::saLocal) return SocketAddress("/nonexistent-cuestrip/peer.sock");
  uint16_t port = 0;
  close(BoundTcp(port));
  return TStreamAddress{TStreamAddress::saTcp, "", "127.0.0.1", port};
}

namespace {

TEST(PosixStreams, ConnectionErrorsAreTheSystemsOwnWords) {
  auto loop = CreatePlatformLoop();
  auto streams = CreatePlatformStreams(*loop);
  std::string error;
  EXPECT_FALSE(streams->Connect(UnservedStreamAddress(TStreamAddress::saLocal), {}, error));
  EXPECT_EQ(error, "No such file or directory");
  EXPECT_FALSE(streams->Connect(UnservedStreamAddress(TStreamAddress::saTcp), {}, error));
  EXPECT_EQ(error, "Connection refused");
  EXPECT_FALSE(
      streams->Connect(SocketAddress("/tmp/" + std::string(120, 'x') + ".sock"), {}, error));
  EXPECT_EQ(error, "the socket's path is too long");
}

} // namespace
