// The HTTP service on every platform, against a real TCP peer that answers
// by hand: answers through the loop and through Wait, one kept-alive
// connection for many requests, basic authentication, a status other than
// 200, a peer that closes or never answers, an answer too large, and a port
// nothing serves.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/Http.h"
#include "platform/Loop.h"
#include "platform/StreamTestPeer.h"

namespace {

using TClock = std::chrono::steady_clock;

// A request as it came: its first line and its Authorization header.
struct TRequest {
  std::string Line;
  std::string Authorization;
};

// The peer's side of one request: reads up to the blank line that ends the
// head; an empty line when the client has gone.
TRequest ReadRequest(IStreamTestPeer &peer) {
  std::string head;
  while (head.find("\r\n\r\n") == std::string::npos) {
    const std::string byte = peer.Receive(1, 5);
    if (byte.empty()) return {};
    head += byte;
  }
  TRequest request{head.substr(0, head.find("\r\n")), ""};
  const size_t auth = head.find("Authorization: ");
  if (auth != std::string::npos)
    request.Authorization = head.substr(auth + 15, head.find("\r\n", auth) - auth - 15);
  return request;
}

std::string Answer(int status, const std::string &body) {
  return "HTTP/1.1 " + std::to_string(status) +
         " X\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nContent-Type: text/plain\r\n\r\n" + body;
}

class HttpService : public ::testing::Test {
protected:
  void SetUp() override {
    Peer = CreateStreamTestPeer(TStreamAddress::saTcp);
    Target.Host = Peer->Address().Host;
    Target.Port = Peer->Address().Port;
  }
  void TearDown() override {
    Session.reset();
    if (Server.joinable()) Server.join();
  }

  void Open() {
    std::string error;
    Session = Http->Open(Target, error);
    ASSERT_TRUE(Session) << error;
  }

  // Gets `path` and waits for its answer without the loop.
  THttpResponse GetAndWait(const std::string &path, double seconds = 5) {
    THttpResponse got;
    bool done = false;
    EXPECT_TRUE(Session->Get(path, [&](const THttpResponse &r) {
      got = r;
      done = true;
    }));
    EXPECT_TRUE(Session->Wait(seconds));
    EXPECT_TRUE(done);
    return got;
  }

  std::unique_ptr<ILoop> Loop = CreatePlatformLoop();
  std::unique_ptr<IHttpClient> Http = CreatePlatformHttp(*Loop);
  std::unique_ptr<IStreamTestPeer> Peer;
  THttpTarget Target;
  std::unique_ptr<IHttpSession> Session;
  std::thread Server;
};

TEST_F(HttpService, RequestsThroughTheLoopShareOneConnection) {
  std::vector<std::string> lines;
  Server = std::thread([&] {
    if (!Peer->Accept()) return;
    for (int i = 0; i < 3; ++i) {
      const TRequest request = ReadRequest(*Peer);
      if (request.Line.empty()) return;
      lines.push_back(request.Line);
      Peer->Send(Answer(200, "answer " + std::to_string(i)));
    }
  });
  Open();
  std::vector<std::string> bodies;
  std::function<void(const THttpResponse &)> next = [&](const THttpResponse &r) {
    bodies.push_back(std::to_string(r.Status) + " " + r.Body);
    if (bodies.size() < 3) EXPECT_TRUE(Session->Get("/n?i=" + std::to_string(bodies.size()), next));
  };
  ASSERT_TRUE(Session->Get("/n?i=0", next));
  EXPECT_FALSE(Session->Get("/busy", next)) << "a second request while one is in flight";
  const auto giveUp = TClock::now() + std::chrono::seconds(10);
  uintptr_t wake = Loop->SetTimer(5, [] {});
  TMessage message;
  while (bodies.size() < 3 && TClock::now() < giveUp && Loop->GetMessage(message) > 0)
    Loop->DispatchMessage(message);
  Loop->KillTimer(wake);
  Server.join();
  EXPECT_EQ(bodies, (std::vector<std::string>{"200 answer 0", "200 answer 1", "200 answer 2"}));
  EXPECT_EQ(lines, (std::vector<std::string>{"GET /n?i=0 HTTP/1.1", "GET /n?i=1 HTTP/1.1",
                                             "GET /n?i=2 HTTP/1.1"}));
  EXPECT_FALSE(Session->Busy());
}

TEST_F(HttpService, BasicAuthenticationAndTheStatusComeThrough) {
  std::string authorization;
  Server = std::thread([&] {
    if (!Peer->Accept()) return;
    authorization = ReadRequest(*Peer).Authorization;
    Peer->Send(Answer(401, "go away"));
  });
  Target.Password = "secret"; // VLC's way: no user, a password
  Open();
  const THttpResponse response = GetAndWait("/requests/status.json");
  Server.join();
  EXPECT_EQ(authorization, "Basic OnNlY3JldA=="); // base64 of ":secret"
  EXPECT_EQ(response.Status, 401);
  EXPECT_TRUE(response.Error.empty()) << response.Error;
}

TEST_F(HttpService, APeerThatHangsUpOrSendsTooMuchFails) {
  Server = std::thread([&] {
    if (!Peer->Accept()) return;
    ReadRequest(*Peer);
    Peer->HangUp();
    if (!Peer->Accept()) return;
    ReadRequest(*Peer);
    Peer->Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(IHttpSession::MaxBody + 1) +
               "\r\n\r\n" + std::string(IHttpSession::MaxBody + 1, 'x'));
  });
  Open();
  const THttpResponse closed = GetAndWait("/a");
  EXPECT_EQ(closed.Status, 0);
  EXPECT_FALSE(closed.Error.empty());
  const THttpResponse large = GetAndWait("/b");
  Server.join();
  EXPECT_EQ(large.Status, 0);
  EXPECT_TRUE(large.Body.empty());
  EXPECT_FALSE(large.Error.empty());
}

TEST_F(HttpService, APeerThatNeverAnswersTimesOut) {
  Server = std::thread([&] {
    if (!Peer->Accept()) return;
    ReadRequest(*Peer);
    Peer->Receive(1, IHttpSession::RequestTimeoutSeconds + 1); // until the client gives up
  });
  Open();
  const auto start = TClock::now();
  const THttpResponse response = GetAndWait("/slow", IHttpSession::RequestTimeoutSeconds + 3);
  const double took = std::chrono::duration<double>(TClock::now() - start).count();
  EXPECT_EQ(response.Status, 0);
  EXPECT_FALSE(response.Error.empty());
  EXPECT_GE(took, IHttpSession::RequestTimeoutSeconds - 0.1);
  EXPECT_LT(took, IHttpSession::RequestTimeoutSeconds + 2);
}

TEST_F(HttpService, APortNothingServesFailsAtOnce) {
  const TStreamAddress unserved = UnservedStreamAddress(TStreamAddress::saTcp);
  Target.Host = unserved.Host;
  Target.Port = unserved.Port;
  Open();
  const THttpResponse response = GetAndWait("/", 5);
  EXPECT_EQ(response.Status, 0);
  EXPECT_FALSE(response.Error.empty());
}

} // namespace
