// Follows an mpv that runs on its own, over its IPC socket
// (--input-ipc-server): one non-blocking Unix socket served by the loop.
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/posix/PosixFollowers.h"
#include "platform/posix/PosixLoop.h"
#include "player/LineFramer.h"
#include "player/MpvIpcSession.h"

namespace {

// How long connecting waits for mpv to tell its frame rate.
constexpr int AnswerWaitMs = 3000;
// Bytes read in one turn of the loop, so a flood cannot starve the keys.
constexpr size_t ReadBudget = 1 << 20;
// Commands queued for an mpv that has stopped reading are dropped beyond this.
constexpr size_t MaxOutbox = 1 << 20;

class TMpvIpcPlayer : public TFollowPlayer {
public:
  TMpvIpcPlayer(const TFollowRequest &request, TPosixLoop *loop)
      : TFollowPlayer(request.FrameRate, request.Ended, nullptr), FLoop(loop),
        FPath(request.Target) {
    if (FPath.empty()) {
      Fail("Following mpv needs its socket: -p mpv:SOCKET");
      return;
    }
    if (!Connect()) return;
    Send(TMpvIpcSession::OpeningLines());
    if (!AwaitAnswer()) return;
    if (FFrameRate <= 0) FFrameRate = FSession.FrameRate() > 0 ? FSession.FrameRate() : 25.0;
    FAvailable = true;
    if (FLoop)
      FWatch = FLoop->Watch(TPosixLoop::TWatch{
          FSocket, [this] { return short(POLLIN | (FOutbox.empty() ? 0 : POLLOUT)); }, nullptr,
          [this](short events) { Serve(events); }});
  }
  ~TMpvIpcPlayer() override { Disconnect(); }

  void Play() override { Command(&TMpvIpcSession::PlayLines); }
  void Pause() override { Command(&TMpvIpcSession::PauseLines); }
  void Stop() override { Command(&TMpvIpcSession::StopLines); }

protected:
  int32_t State() override { return FSession.State(); }
  void SeekSeconds(double seconds) override { Send(FSession.SeekLines(seconds, Now())); }
  void Disconnect() override {
    if (FLoop && FWatch) FLoop->Unwatch(FWatch);
    FWatch = 0;
    if (FSocket >= 0) close(FSocket);
    FSocket = -1;
  }

private:
  void Command(std::string (TMpvIpcSession::*lines)(TFollowTime)) {
    RequireConnection();
    Send((FSession.*lines)(Now()));
  }

  bool Connect() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (FPath.size() >= sizeof address.sun_path) {
      Fail("mpv's socket path is too long: " + FPath);
      return false;
    }
    std::memcpy(address.sun_path, FPath.c_str(), FPath.size() + 1);
    FSocket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (FSocket < 0 || connect(FSocket, reinterpret_cast<sockaddr *>(&address), sizeof address)) {
      Fail("No mpv at " + FPath + ": " + std::strerror(errno));
      Disconnect();
      return false;
    }
    return true;
  }

  // Start-up only: waits (bounded) for mpv to answer, so a socket that is
  // not mpv's, or an mpv that hangs, is a clear error.
  bool AwaitAnswer() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(AnswerWaitMs);
    while (!FSession.Answered()) {
      // The opening lines may already have found the socket closed (EPIPE):
      // a peer that accepts and closes at once is not one that is silent.
      if (FSocket < 0) {
        Fail("mpv at " + FPath + " closed the connection");
        break;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      deadline - std::chrono::steady_clock::now())
                      .count();
      pollfd fd{FSocket, short(POLLIN | (FOutbox.empty() ? 0 : POLLOUT)), 0};
      if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) == 0) {
        Fail("mpv at " + FPath + " does not answer");
        break;
      }
      if (!Serve(fd.revents)) Fail("mpv at " + FPath + " closed the connection");
      if (FSocket < 0) break;
    }
    if (FSession.Answered()) return true;
    Disconnect();
    return false;
  }

  // Writes what is queued and reads what came; false when the connection has
  // gone (then the player has ended).
  bool Serve(short events) {
    if (events & POLLOUT) Flush();
    if (FSocket >= 0 && (events & (POLLIN | POLLHUP | POLLERR))) Receive();
    return FSocket >= 0;
  }

  void Receive() {
    char buffer[65536];
    for (size_t taken = 0; taken < ReadBudget;) {
      ssize_t count = read(FSocket, buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      if (count <= 0) return Lost(count == 0 ? "" : std::strerror(errno));
      taken += static_cast<size_t>(count);
      TFollowTime at = Now();
      FFramer.Add(std::string_view(buffer, static_cast<size_t>(count)),
                  [&](std::string_view line) { FSession.HandleLine(line, at); });
    }
    Send(FSession.TakeOutput());
  }

  void Send(const std::string &lines) {
    if (FSocket < 0 || lines.empty() || FOutbox.size() + lines.size() > MaxOutbox) return;
    FOutbox += lines;
    Flush();
  }

  void Flush() {
    while (FSocket >= 0 && !FOutbox.empty()) {
      ssize_t count = send(FSocket, FOutbox.data(), FOutbox.size(), MSG_NOSIGNAL);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      if (count < 0) return Lost(std::strerror(errno));
      FOutbox.erase(0, static_cast<size_t>(count));
    }
  }

  void Lost(const std::string &reason) {
    Disconnect();
    if (FAvailable)
      End(reason.empty() ? "mpv has closed (" + FPath + ")"
                         : "Lost the connection to mpv at " + FPath + ": " + reason);
  }

  TMpvIpcSession FSession{Clock};
  TPosixLoop *FLoop;
  std::string FPath;
  int FSocket = -1;
  uintptr_t FWatch = 0;
  std::string FOutbox;
  TLineFramer FFramer;
};

} // namespace

TFollowPlayer *CreateMpvIpcFollower(const TFollowRequest &request, TPosixLoop *loop) {
  return new TMpvIpcPlayer(request, loop);
}
