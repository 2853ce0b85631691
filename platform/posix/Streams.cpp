// The byte-stream service on POSIX: Unix sockets and TCP, non-blocking
// descriptors watched by the loop. Connecting is done at once for a Unix
// socket, and within a few seconds for TCP.
#include "platform/Streams.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/Loop.h"
#include "platform/StreamBase.h"

namespace {

constexpr int ConnectWaitMs = 3000;

class TSocketStream : public TByteStreamBase {
public:
  TSocketStream(ILoop &loop, int socket, TStreamHandlers handlers)
      : TByteStreamBase(std::move(handlers)), FLoop(loop), FSocket(socket) {
    FWatch = FLoop.Watch(TWatch{FSocket, [this] { return Wanted(); }, nullptr,
                                [this](unsigned ready) { Serve(ready); }});
  }
  ~TSocketStream() override { Close(); }

  bool WaitForInput(double seconds) override {
    const TWaitDeadline deadline(seconds);
    while (FSocket >= 0) {
      const long long left = deadline.MillisecondsLeft();
      pollfd fd{FSocket, static_cast<short>(POLLIN | (FPending.empty() ? 0 : POLLOUT)), 0};
      int ready = left == 0 ? 0 : poll(&fd, 1, static_cast<int>(left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return false;
      if (fd.revents & POLLOUT) Flush();
      if (FSocket >= 0 && (fd.revents & (POLLIN | POLLHUP | POLLERR)) && Receive() > 0) return true;
    }
    return false;
  }

  bool IsOpen() const override { return FSocket >= 0; }

  void Close() override {
    if (FWatch) FLoop.Unwatch(FWatch);
    FWatch = 0;
    if (FSocket >= 0) close(FSocket);
    FSocket = -1;
    FPending.clear();
  }

private:
  unsigned Wanted() const { return wfRead | (FPending.empty() ? 0u : unsigned(wfWrite)); }

  void Serve(unsigned ready) {
    if (ready & wfWrite) Flush();
    if (FSocket >= 0 && (ready & (wfRead | wfHangUp))) Receive();
  }

  // Reads what there is, up to the budget; the bytes read.
  size_t Receive() {
    char buffer[65536];
    size_t taken = 0;
    while (FSocket >= 0 && taken < StreamReadBudget) {
      ssize_t count = read(FSocket, buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      if (count <= 0) {
        Lost(count == 0 ? "" : std::strerror(errno));
        break;
      }
      taken += static_cast<size_t>(count);
      Deliver(std::string_view(buffer, size_t(count)));
    }
    return taken;
  }

  void Flush() override {
    while (FSocket >= 0 && !FPending.empty()) {
      ssize_t count = send(FSocket, FPending.data(), FPending.size(), MSG_NOSIGNAL);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      if (count < 0) return Lost(std::strerror(errno));
      FPending.erase(0, static_cast<size_t>(count));
    }
  }

  ILoop &FLoop;
  int FSocket;
  uintptr_t FWatch = 0;
};

int ConnectLocal(const std::string &path, std::string &error) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    error = "the socket's path is too long";
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
    return fd;
  error = std::strerror(errno);
  if (fd >= 0) close(fd);
  return -1;
}

// A non-blocking connect to each address the name gives, waited for in turn.
int ConnectTcp(const std::string &host, uint16_t port, std::string &error) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo *found = nullptr;
  int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (status != 0) {
    error = gai_strerror(status);
    return -1;
  }
  int fd = -1;
  error = "no address";
  for (addrinfo *at = found; at && fd < 0; at = at->ai_next) {
    fd = socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, at->ai_protocol);
    if (fd < 0) continue;
    int result = connect(fd, at->ai_addr, at->ai_addrlen);
    if (result != 0 && errno == EINPROGRESS) {
      pollfd wait{fd, POLLOUT, 0};
      int soError = ETIMEDOUT;
      socklen_t length = sizeof soError;
      if (poll(&wait, 1, ConnectWaitMs) == 1)
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
      result = soError == 0 ? 0 : -1;
      errno = soError;
    }
    if (result == 0) break;
    error = std::strerror(errno);
    close(fd);
    fd = -1;
  }
  freeaddrinfo(found);
  return fd;
}

class TPosixStreams : public IStreamConnector {
public:
  explicit TPosixStreams(ILoop &loop) : FLoop(loop) {}
  std::unique_ptr<IByteStream> Connect(const TStreamAddress &address, TStreamHandlers handlers,
                                       std::string &error) override {
    int fd = address.Kind == TStreamAddress::saLocal
                 ? ConnectLocal(address.Path, error)
                 : ConnectTcp(address.Host, address.Port, error);
    if (fd < 0) return nullptr;
    return std::make_unique<TSocketStream>(FLoop, fd, std::move(handlers));
  }

private:
  ILoop &FLoop;
};

} // namespace

std::unique_ptr<IStreamConnector> CreatePlatformStreams(ILoop &loop) {
  return std::make_unique<TPosixStreams>(loop);
}
