// Byte-stream service: a connection to a peer on this machine or the network
// (a Unix socket or a Windows named pipe, or TCP host:port), read and written
// without blocking through the loop's watch. Followed players talk over it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class ILoop;

// Where to connect. A local address is the platform's own local channel: a
// Unix socket's path on POSIX; a named pipe on Windows, where a bare NAME
// means \\.\pipe\NAME.
struct TStreamAddress {
  enum TKind { saLocal, saTcp };
  TKind Kind = saLocal;
  std::string Path; // saLocal
  std::string Host; // saTcp
  uint16_t Port = 0;
  // How the address reads in messages: the path, or HOST:PORT.
  std::string Text() const;
};

// What a connection tells its owner, always on the loop's thread (or inside
// WaitForInput). A handler may Close the stream, but not destroy it.
struct TStreamHandlers {
  // Bytes that came, in order; may be called many times in one turn.
  std::function<void(std::string_view bytes)> Received;
  // The connection has ended: `reason` is empty when the peer closed it
  // cleanly, else what failed. Called once; the stream is closed after it.
  std::function<void(const std::string &reason)> Closed;
};

class IByteStream {
public:
  virtual ~IByteStream() = default;
  // Writes what the peer takes now and keeps the rest for when it has room;
  // reading goes on all the while, so a peer that writes while it waits for
  // us to read never stalls. False (nothing kept) when the stream is closed or
  // more than MaxPending bytes would be waiting.
  virtual bool Write(std::string_view bytes) = 0;
  // Start-up only: waits up to `seconds` for bytes, delivers what came and
  // returns true; false on the timeout, or when the stream has ended (then
  // Closed has been called).
  virtual bool WaitForInput(double seconds) = 0;
  virtual bool IsOpen() const = 0;
  // Ends the connection at once; Closed is not called.
  virtual void Close() = 0;

  static constexpr size_t MaxPending = 1 << 20;
};

class IStreamConnector {
public:
  virtual ~IStreamConnector() = default;
  // A connected stream served by the loop, or null with `error` saying why
  // (in the system's words: "No such file or directory", "Connection refused").
  virtual std::unique_ptr<IByteStream> Connect(const TStreamAddress &address,
                                               TStreamHandlers handlers, std::string &error) = 0;
};

std::unique_ptr<IStreamConnector> CreatePlatformStreams(ILoop &loop);
