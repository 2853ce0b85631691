// The far end for the byte-stream tests: a server of this platform's kind
// (a Unix socket or a named pipe, or a TCP listener on 127.0.0.1) that the
// streams connect to, served by blocking calls. One thread may send while
// another receives. Each platform's Streams_test.cpp makes it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Streams.h"

class IStreamTestPeer {
public:
  virtual ~IStreamTestPeer() = default;
  virtual TStreamAddress Address() const = 0;
  // Takes the client that has connected, waiting a few seconds at most.
  virtual bool Accept() = 0;
  // Sends all of `bytes`, waiting as long as the client does not read.
  virtual bool Send(std::string_view bytes) = 0;
  // What comes until `count` bytes have come, the client has gone or
  // `seconds` have passed.
  virtual std::string Receive(size_t count, double seconds) = 0;
  // Ends the connection cleanly: the client reads what was sent, then the end.
  virtual void HangUp() = 0;
};

std::unique_ptr<IStreamTestPeer> CreateStreamTestPeer(TStreamAddress::TKind kind);
// An address of the kind that nothing serves.
TStreamAddress UnservedStreamAddress(TStreamAddress::TKind kind);
