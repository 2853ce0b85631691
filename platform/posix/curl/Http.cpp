// The HTTP service on POSIX: libcurl's multi interface, its sockets watched
// by the loop and its timer a one-shot timer of the loop, so a request never
// blocks the keys. One easy handle a session keeps its connection alive.
#include "platform/Http.h"

#include <curl/curl.h>

#include <cerrno>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/Loop.h"
#include "platform/StreamBase.h"
#include "platform/posix/PollFlags.h"

namespace {

class TCurlSession : public IHttpSession {
public:
  TCurlSession(ILoop &loop, const THttpTarget &target)
      : FLoop(loop), FMulti(curl_multi_init()), FEasy(curl_easy_init()) {
    curl_multi_setopt(FMulti, CURLMOPT_SOCKETFUNCTION, OnSocket);
    curl_multi_setopt(FMulti, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(FMulti, CURLMOPT_TIMERFUNCTION, OnTimer);
    curl_multi_setopt(FMulti, CURLMOPT_TIMERDATA, this);
    // An IPv6 literal needs its brackets in a URL.
    const bool literal6 = target.Host.find(':') != std::string::npos;
    FBase = "http://" + (literal6 ? "[" + target.Host + "]" : target.Host) + ":" +
            std::to_string(target.Port);
    const long timeoutMs = static_cast<long>(RequestTimeoutSeconds * 1000);
    curl_easy_setopt(FEasy, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(FEasy, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(FEasy, CURLOPT_NOSIGNAL, 1L);
    // A player's web interface is reached directly, whatever proxy the
    // environment names.
    curl_easy_setopt(FEasy, CURLOPT_PROXY, "");
    curl_easy_setopt(FEasy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(FEasy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(FEasy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(FEasy, CURLOPT_ERRORBUFFER, FErrorText);
    if (!target.User.empty() || !target.Password.empty()) {
      curl_easy_setopt(FEasy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
      curl_easy_setopt(FEasy, CURLOPT_USERNAME, target.User.c_str());
      curl_easy_setopt(FEasy, CURLOPT_PASSWORD, target.Password.c_str());
    }
  }

  ~TCurlSession() override {
    if (FBusy) curl_multi_remove_handle(FMulti, FEasy);
    for (const auto &[socket, watch] : FSockets)
      FLoop.Unwatch(watch.Id);
    FSockets.clear();
    if (FTimer) FLoop.KillTimer(FTimer);
    // Nothing of this session may be called back while curl closes down.
    curl_multi_setopt(FMulti, CURLMOPT_SOCKETFUNCTION, nullptr);
    curl_multi_setopt(FMulti, CURLMOPT_TIMERFUNCTION, nullptr);
    curl_easy_cleanup(FEasy);
    curl_multi_cleanup(FMulti);
  }

  bool Get(const std::string &path, THttpDone done) override {
    if (FBusy) return false;
    const std::string url = FBase + path;
    curl_easy_setopt(FEasy, CURLOPT_URL, url.c_str());
    FBody.clear();
    FTooLarge = false;
    FErrorText[0] = '\0';
    FDone = std::move(done);
    FBusy = true;
    if (curl_multi_add_handle(FMulti, FEasy) != CURLM_OK) {
      FBusy = false;
      FDone = nullptr;
      return false;
    }
    return true;
  }

  bool Busy() const override { return FBusy; }

  bool Wait(double seconds) override {
    const TWaitDeadline deadline(seconds);
    while (FBusy) {
      const long long left = deadline.MillisecondsLeft();
      if (left == 0) return false;
      std::vector<pollfd> fds;
      for (const auto &[socket, watch] : FSockets)
        fds.push_back(pollfd{socket, PollEvents(Wanted(watch.What)), 0});
      const long long timer = FTimerDue < 0 ? left : std::max(0.0, FTimerDue - FLoop.Now()) * 1000;
      const int ready = poll(fds.data(), fds.size(), static_cast<int>(std::min(left, timer + 1)));
      if (ready < 0 && errno != EINTR) return false;
      for (const pollfd &fd : fds)
        if (fd.revents) Act(fd.fd, CurlActions(WatchFlags(fd.revents)));
      if (ready == 0 && FBusy) Act(CURL_SOCKET_TIMEOUT, 0);
    }
    return true;
  }

private:
  struct TSocketWatch {
    uintptr_t Id = 0;
    int What = 0; // CURL_POLL_IN, _OUT or _INOUT
  };

  // What curl wants of a socket as watch flags, and what came as curl's.
  static unsigned Wanted(int what) {
    return (what & CURL_POLL_IN ? unsigned(wfRead) : 0u) |
           (what & CURL_POLL_OUT ? unsigned(wfWrite) : 0u);
  }
  static int CurlActions(unsigned ready) {
    return (ready & wfRead ? CURL_CSELECT_IN : 0) | (ready & wfWrite ? CURL_CSELECT_OUT : 0) |
           (ready & wfHangUp ? CURL_CSELECT_ERR : 0);
  }

  // curl says which socket to wait on for what, or that one is done with.
  static int OnSocket(CURL *, curl_socket_t socket, int what, void *data, void *) {
    auto *self = static_cast<TCurlSession *>(data);
    auto found = self->FSockets.find(socket);
    if (what == CURL_POLL_REMOVE) {
      if (found != self->FSockets.end()) {
        self->FLoop.Unwatch(found->second.Id);
        self->FSockets.erase(found);
      }
      return 0;
    }
    if (found != self->FSockets.end()) {
      found->second.What = what;
      return 0;
    }
    TSocketWatch &watch = self->FSockets[socket];
    watch.What = what;
    watch.Id = self->FLoop.Watch(
        TWatch{socket,
               [self, socket] {
                 auto at = self->FSockets.find(socket);
                 return at == self->FSockets.end() ? 0u : Wanted(at->second.What);
               },
               nullptr, [self, socket](unsigned ready) { self->Act(socket, CurlActions(ready)); }});
    return 0;
  }

  // curl wants to be called after `timeoutMs` (-1: not at all).
  static int OnTimer(CURLM *, long timeoutMs, void *data) {
    auto *self = static_cast<TCurlSession *>(data);
    if (self->FTimer) self->FLoop.KillTimer(self->FTimer);
    self->FTimer = 0;
    self->FTimerDue = timeoutMs < 0 ? -1 : self->FLoop.Now() + timeoutMs / 1000.0;
    if (timeoutMs < 0) return 0;
    self->FTimer =
        self->FLoop.SetOneShotTimer(static_cast<uint32_t>(std::max(1L, timeoutMs)), [self] {
          self->FTimer = 0;
          self->FTimerDue = -1;
          self->Act(CURL_SOCKET_TIMEOUT, 0);
        });
    return 0;
  }

  static size_t OnBody(char *bytes, size_t size, size_t count, void *data) {
    auto *self = static_cast<TCurlSession *>(data);
    const size_t length = size * count;
    if (self->FBody.size() + length > MaxBody) {
      self->FTooLarge = true;
      return 0; // ends the transfer
    }
    self->FBody.append(bytes, length);
    return length;
  }

  void Act(curl_socket_t socket, int flags) {
    int running = 0;
    curl_multi_socket_action(FMulti, socket, flags, &running);
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(FMulti, &left))
      if (message->msg == CURLMSG_DONE && message->easy_handle == FEasy)
        Finish(message->data.result);
  }

  // The request has ended: its handle leaves the multi handle (the
  // connection stays in its cache for the next) before `done` runs.
  void Finish(CURLcode result) {
    curl_multi_remove_handle(FMulti, FEasy);
    THttpResponse response;
    if (result == CURLE_OK) {
      curl_easy_getinfo(FEasy, CURLINFO_RESPONSE_CODE, &response.Status);
      response.Body = std::move(FBody);
    } else if (FTooLarge) {
      response.Error = "the answer is larger than " + std::to_string(MaxBody) + " bytes";
    } else {
      response.Error = FErrorText[0] ? FErrorText : curl_easy_strerror(result);
    }
    FBody.clear();
    FBusy = false;
    THttpDone done = std::move(FDone);
    FDone = nullptr;
    if (done) done(response);
  }

  ILoop &FLoop;
  CURLM *FMulti;
  CURL *FEasy;
  std::string FBase;
  std::map<curl_socket_t, TSocketWatch> FSockets;
  uintptr_t FTimer = 0;
  double FTimerDue = -1; // on the loop's clock; -1 for none
  bool FBusy = false;
  bool FTooLarge = false;
  THttpDone FDone;
  std::string FBody;
  char FErrorText[CURL_ERROR_SIZE] = {};
};

class TCurlClient : public IHttpClient {
public:
  explicit TCurlClient(ILoop &loop) : FLoop(loop) {}
  std::unique_ptr<IHttpSession> Open(const THttpTarget &target, std::string &error) override {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!ready) {
      error = "libcurl could not start";
      return nullptr;
    }
    return std::make_unique<TCurlSession>(FLoop, target);
  }

private:
  ILoop &FLoop;
};

} // namespace

std::unique_ptr<IHttpClient> CreatePlatformHttp(ILoop &loop) {
  return std::make_unique<TCurlClient>(loop);
}
