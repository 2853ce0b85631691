// Follows an MPC that runs on its own, over its web interface:
// variables.html polled by a timer of the loop; the keys' commands go out as
// the next requests to command.html. MPC closes the connection after every
// answer, so each request connects again (on this machine that is cheap).
#include "player/follow/MpcHttpPlayer.h"

#include <deque>

#include "platform/Http.h"
#include "platform/Loop.h"
#include "player/follow/HttpTarget.h"
#include "player/follow/MpcSession.h"

namespace {

constexpr uint32_t PollMs = 25;
// How long connecting waits for MPC's first answer.
constexpr double AnswerWaitSeconds = 3.0;
// Requests failing in a row that mean MPC has gone (a single one that times
// out is a busy machine).
constexpr int FailuresToEnd = 3;

class TMpcHttpPlayer : public TFollowPlayer {
public:
  TMpcHttpPlayer(const TFollowRequest &request, ILoop &loop, IHttpClient &http)
      : TFollowPlayer(request.FrameRate, request.Ended, nullptr), FLoop(loop) {
    std::string error;
    if (!ReadHttpTarget(request.Target, MpcDefaultPort, FTarget, error)) {
      Fail("Cannot read the MPC address " + request.Target + ": " + error);
      return;
    }
    FHttp = http.Open(FTarget, error);
    if (!FHttp) {
      Fail("Cannot follow MPC: " + error);
      return;
    }
    if (!AwaitAnswer()) return;
    if (FFrameRate <= 0) FFrameRate = 25.0;
    FAvailable = true;
    FTimer = FLoop.SetTimer(PollMs, [this] { Poll(); });
  }

  ~TMpcHttpPlayer() override {
    Disconnect();
    FHttp.reset();
  }

  void Play() override { Command(FMpc.PlayPaths()); }
  void Pause() override { Command(FMpc.PausePaths()); }
  void Stop() override {
    Command(FMpc.StopPaths(Now()));
    Clock.Jump(0, Now());
  }

protected:
  int32_t State() override { return FMpc.State(); }
  void SeekSeconds(double seconds) override { Queue(FMpc.SeekPaths(seconds, Now())); }
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
    std::string path = TMpcSession::VariablesPath();
    if (!FQueue.empty()) {
      path = std::move(FQueue.front());
      FQueue.pop_front();
    }
    const TFollowTime sent = Now();
    const bool variables = TMpcSession::IsVariablesPath(path);
    FHttp->Get(path, [this, sent, variables](const THttpResponse &response) {
      Answered(response, sent, variables);
    });
  }

  void Answered(const THttpResponse &response, TFollowTime sent, bool variables) {
    if (FEnded) return;
    // A command answers with no variables; MPC refuses a seek with no file
    // loaded (HTTP 404), which is no sign that it has gone.
    if (response.Status == 200 || (!variables && response.Status != 0)) {
      FFailures = 0;
      if (variables) FMpc.HandleVariables(response.Body, sent, Now());
      if (!FQueue.empty()) Poll(); // commands go out at once
    } else if (response.Status == 401 || ++FFailures >= FailuresToEnd) {
      End(Trouble(response, false));
    }
  }

  // What a failed answer tells the user (in ASCII: on Windows the line is
  // written in the ANSI code page, where an arrow would not survive): at start-up, why MPC cannot
  // be followed at all; later, that it has gone.
  std::string Trouble(const THttpResponse &response, bool starting) const {
    if (response.Status == 0)
      return starting
                 ? "no MPC web interface at " + FTarget.Text() +
                       ": enable it in Options > Player > Web Interface (" + response.Error + ")"
                 : "MPC has closed (" + FTarget.Text() + "): " + response.Error;
    return starting
               ? FTarget.Text() + " is no MPC web interface (HTTP " +
                     std::to_string(response.Status) + " for " + TMpcSession::VariablesPath() + ")"
               : "MPC's web interface at " + FTarget.Text() + " answers HTTP " +
                     std::to_string(response.Status);
  }

  // Start-up only: a bounded wait for the first variables page, so no MPC
  // at all, or a server that is not MPC's, is a clear error.
  bool AwaitAnswer() {
    THttpResponse first;
    const bool sent = FHttp->Get(TMpcSession::VariablesPath(),
                                 [&first](const THttpResponse &response) { first = response; });
    const TFollowTime at = Now();
    if (!sent || !FHttp->Wait(AnswerWaitSeconds)) {
      Fail("MPC's web interface at " + FTarget.Text() + " does not answer");
      return false;
    }
    if (first.Status == 200) FMpc.HandleVariables(first.Body, at, Now());
    if (FMpc.Answered()) return true;
    Fail(first.Status == 200 ? FTarget.Text() + " is no MPC web interface (" +
                                   TMpcSession::VariablesPath() + " has no position and state)"
                             : Trouble(first, true));
    return false;
  }

  ILoop &FLoop;
  THttpTarget FTarget;
  std::unique_ptr<IHttpSession> FHttp;
  TMpcSession FMpc{Clock};
  std::deque<std::string> FQueue;
  uintptr_t FTimer = 0;
  int FFailures = 0;
};

} // namespace

TFollowPlayer *CreateMpcHttpFollower(const TFollowRequest &request, ILoop &loop,
                                     IHttpClient &http) {
  return new TMpcHttpPlayer(request, loop, http);
}
