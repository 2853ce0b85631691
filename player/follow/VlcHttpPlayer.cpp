// Follows a VLC that runs on its own, over its web interface: status.json
// polled by a timer of the loop, over one kept-alive connection; the keys'
// commands go out as the next requests, each answering with the status too.
#include "player/follow/VlcHttpPlayer.h"

#include <cstdlib>
#include <deque>

#include "platform/Http.h"
#include "platform/Loop.h"
#include "player/follow/HttpTarget.h"
#include "player/follow/VlcSession.h"

namespace {

constexpr uint32_t PollMs = 25;
// How long connecting waits for VLC's first answer.
constexpr double AnswerWaitSeconds = 3.0;
// Requests failing in a row that mean VLC has gone (a single one that times
// out is a busy machine).
constexpr int FailuresToEnd = 3;

class TVlcHttpPlayer : public TFollowPlayer {
public:
  TVlcHttpPlayer(const TFollowRequest &request, ILoop &loop, IHttpClient &http)
      : TFollowPlayer(request.FrameRate, request.Ended, nullptr), FLoop(loop) {
    std::string error;
    if (!ReadHttpTarget(request.Target, VlcDefaultPort, FTarget, error)) {
      Fail("Cannot read the VLC address " + request.Target + ": " + error);
      return;
    }
    if (FTarget.Password.empty())
      if (const char *password = std::getenv("CUESTRIP_VLC_PASSWORD")) FTarget.Password = password;
    FHttp = http.Open(FTarget, error);
    if (!FHttp) {
      Fail("Cannot follow VLC: " + error);
      return;
    }
    if (!AwaitAnswer()) return;
    if (FFrameRate <= 0) FFrameRate = FVlc.FrameRate() > 0 ? FVlc.FrameRate() : 25.0;
    FAvailable = true;
    FTimer = FLoop.SetTimer(PollMs, [this] { Poll(); });
  }

  ~TVlcHttpPlayer() override {
    Disconnect();
    FHttp.reset();
  }

  void Play() override { Command(FVlc.PlayPaths()); }
  void Pause() override { Command(FVlc.PausePaths()); }
  void Stop() override { Command(FVlc.StopPaths(Now())); }

protected:
  int32_t State() override { return FVlc.State(); }
  void SeekSeconds(double seconds) override { Queue(FVlc.SeekPaths(seconds, Now())); }
  // May be called from a request's own answer: the session stays until the
  // player goes, and answers after this are not looked at.
  void Disconnect() override {
    if (FTimer) FLoop.KillTimer(FTimer);
    FTimer = 0;
    FQueue.clear();
  }

private:
  void Command(const std::vector<std::string> &paths) {
    RequireConnection();
    Queue(paths);
  }

  void Queue(const std::vector<std::string> &paths) {
    FQueue.insert(FQueue.end(), paths.begin(), paths.end());
    Poll();
  }

  // The next request, when none is in flight: a queued command first.
  void Poll() {
    if (!FAvailable || FEnded || FHttp->Busy()) return;
    std::string path = TVlcSession::StatusPath();
    if (!FQueue.empty()) {
      path = std::move(FQueue.front());
      FQueue.pop_front();
    }
    const TFollowTime sent = Now();
    FHttp->Get(path, [this, sent](const THttpResponse &response) { Answered(response, sent); });
  }

  void Answered(const THttpResponse &response, TFollowTime sent) {
    if (FEnded) return;
    if (response.Status == 200) {
      FFailures = 0;
      FVlc.HandleStatus(response.Body, sent, Now());
      if (!FQueue.empty()) Poll(); // commands go out at once
    } else if (response.Status == 401 || ++FFailures >= FailuresToEnd) {
      End(Trouble(response, false));
    }
  }

  // What a failed answer tells the user: at start-up, why VLC cannot be
  // followed at all; later, that it has gone.
  std::string Trouble(const THttpResponse &response, bool starting) const {
    if (response.Status == 401) return "VLC refused the password (HTTP 401)";
    if (response.Status == 0)
      return starting ? "no VLC web interface at " + FTarget.Text() +
                            ": start VLC with --extraintf http --http-password PASSWORD (" +
                            response.Error + ")"
                      : "VLC has closed (" + FTarget.Text() + "): " + response.Error;
    return starting
               ? FTarget.Text() + " is no VLC web interface (HTTP " +
                     std::to_string(response.Status) + " for " + TVlcSession::StatusPath() + ")"
               : "VLC's web interface at " + FTarget.Text() + " answers HTTP " +
                     std::to_string(response.Status);
  }

  // Start-up only: a bounded wait for the first status, so a wrong password
  // or no VLC at all is a clear error.
  bool AwaitAnswer() {
    THttpResponse first;
    const bool sent = FHttp->Get(TVlcSession::StatusPath(),
                                 [&first](const THttpResponse &response) { first = response; });
    const TFollowTime at = Now();
    if (!sent || !FHttp->Wait(AnswerWaitSeconds)) {
      Fail("VLC's web interface at " + FTarget.Text() + " does not answer");
      return false;
    }
    if (first.Status == 200) FVlc.HandleStatus(first.Body, at, Now());
    if (FVlc.Answered()) return true;
    Fail(Trouble(first, true));
    return false;
  }

  ILoop &FLoop;
  THttpTarget FTarget;
  std::unique_ptr<IHttpSession> FHttp;
  TVlcSession FVlc{Clock};
  std::deque<std::string> FQueue;
  uintptr_t FTimer = 0;
  int FFailures = 0;
};

} // namespace

TFollowPlayer *CreateVlcHttpFollower(const TFollowRequest &request, ILoop &loop,
                                     IHttpClient &http) {
  return new TVlcHttpPlayer(request, loop, http);
}
