// Follows an mpv that runs on its own, over its IPC channel
// (--input-ipc-server): a Unix socket on POSIX, a named pipe on Windows, one
// byte stream served by the loop.
#include "player/follow/MpvIpcPlayer.h"

#include <chrono>

#include "platform/Streams.h"
#include "player/follow/LineFramer.h"
#include "player/follow/MpvIpcSession.h"

namespace {

// How long connecting waits for mpv to tell its frame rate.
constexpr double AnswerWaitSeconds = 3.0;

class TMpvIpcPlayer : public TFollowPlayer {
public:
  TMpvIpcPlayer(const TFollowRequest &request, IStreamConnector &streams)
      : TFollowPlayer(request.FrameRate, request.Ended, nullptr), FPath(request.Target) {
    if (FPath.empty()) {
      Fail("Following mpv needs its socket: -p mpv:SOCKET");
      return;
    }
    if (!Connect(streams)) return;
    Send(TMpvIpcSession::OpeningLines());
    if (!AwaitAnswer()) return;
    if (FFrameRate <= 0) FFrameRate = FSession.FrameRate() > 0 ? FSession.FrameRate() : 25.0;
    FAvailable = true;
  }
  ~TMpvIpcPlayer() override { FStream.reset(); }

  void Play() override { Command(&TMpvIpcSession::PlayLines); }
  void Pause() override { Command(&TMpvIpcSession::PauseLines); }
  void Stop() override { Command(&TMpvIpcSession::StopLines); }

protected:
  int32_t State() override { return FSession.State(); }
  void SeekSeconds(double seconds) override { Send(FSession.SeekLines(seconds, Now())); }
  // Called from the stream's own handlers too: the stream is closed then,
  // and goes only with the player.
  void Disconnect() override {
    if (FStream) FStream->Close();
  }

private:
  void Command(std::string (TMpvIpcSession::*lines)(TFollowTime)) {
    RequireConnection();
    Send((FSession.*lines)(Now()));
  }

  bool Connect(IStreamConnector &streams) {
    std::string error;
    FStream = streams.Connect(TStreamAddress{TStreamAddress::saLocal, FPath},
                              TStreamHandlers{[this](std::string_view bytes) { Receive(bytes); },
                                              [this](const std::string &why) { Lost(why); }},
                              error);
    if (FStream) return true;
    Fail("No mpv at " + FPath + ": " + error);
    return false;
  }

  // Start-up only: waits (bounded) for mpv to answer, so a socket that is
  // not mpv's, or an mpv that hangs, is a clear error. A peer that accepts
  // and closes at once is not one that is silent.
  bool AwaitAnswer() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(AnswerWaitSeconds);
    while (!FSession.Answered() && FStream->IsOpen()) {
      const double left =
          std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0 || !FStream->WaitForInput(left)) break;
    }
    if (FSession.Answered()) return true;
    Fail("mpv at " + FPath + (FStream->IsOpen() ? " does not answer" : " closed the connection"));
    Disconnect();
    return false;
  }

  void Receive(std::string_view bytes) {
    TFollowTime at = Now();
    FFramer.Add(bytes, [&](std::string_view line) { FSession.HandleLine(line, at); });
    Send(FSession.TakeOutput());
  }

  // Commands for an mpv that has stopped reading are dropped once a
  // megabyte waits: the stream refuses them.
  void Send(const std::string &lines) {
    if (FStream && FStream->IsOpen() && !lines.empty()) FStream->Write(lines);
  }

  // The stream has ended (it is closed already): the player has too.
  void Lost(const std::string &reason) {
    if (FAvailable)
      End(reason.empty() ? "mpv has closed (" + FPath + ")"
                         : "Lost the connection to mpv at " + FPath + ": " + reason);
  }

  TMpvIpcSession FSession{Clock};
  std::string FPath;
  std::unique_ptr<IByteStream> FStream;
  TLineFramer FFramer;
};

} // namespace

TFollowPlayer *CreateMpvIpcFollower(const TFollowRequest &request, IStreamConnector &streams) {
  return new TMpvIpcPlayer(request, streams);
}
