// HTTP service: GET requests to a player's web interface, on this machine or
// the network, over one kept-alive connection a session, served by the loop
// with the platform's own client library (libcurl on POSIX, WinHTTP on
// Windows). Followed players that only speak HTTP are read over it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ILoop;

// The server a session talks to, with the credentials of HTTP's basic
// authentication (sent when either is set).
struct THttpTarget {
  std::string Host;
  uint16_t Port = 80;
  std::string User;
  std::string Password;
  // How the server reads in messages: HOST:PORT.
  std::string Text() const { return Host + ":" + std::to_string(Port); }
};

// What came of one request. Status is 0 when no answer came at all; Error
// then says why, in the library's words ("Connection refused").
struct THttpResponse {
  long Status = 0;
  std::string Body;
  std::string Error;
};

using THttpDone = std::function<void(const THttpResponse &response)>;

class IHttpSession {
public:
  virtual ~IHttpSession() = default;
  // Starts a GET of `path` ("/requests/status.json"); `done` runs once, on
  // the loop's thread (or inside Wait), when the answer has come, failed or
  // timed out. One request at a time: false when one is still in flight.
  // `done` may start the next request.
  virtual bool Get(const std::string &path, THttpDone done) = 0;
  virtual bool Busy() const = 0;
  // Start-up only: waits up to `seconds` for the request in flight; true
  // when it has ended and its `done` has run.
  virtual bool Wait(double seconds) = 0;

  // A request that takes longer than this fails as timed out.
  static constexpr double RequestTimeoutSeconds = 2.0;
  // An answer larger than this fails; a web interface's pages are small.
  static constexpr size_t MaxBody = 1 << 20;
};

class IHttpClient {
public:
  virtual ~IHttpClient() = default;
  // A session with `target`; connecting waits for the first request. Null
  // with `error` when the platform has no HTTP client.
  virtual std::unique_ptr<IHttpSession> Open(const THttpTarget &target, std::string &error) = 0;
};

std::unique_ptr<IHttpClient> CreatePlatformHttp(ILoop &loop);
