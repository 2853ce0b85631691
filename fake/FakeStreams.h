// Byte streams for the tests: a connector that hands out streams a test
// drives by hand (what the peer sends, when it closes) and records what the
// program wrote and where it connected.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Streams.h"

class TFakeStream : public IByteStream {
public:
  explicit TFakeStream(TStreamHandlers handlers) : FHandlers(std::move(handlers)) {}
  bool Write(std::string_view bytes) override;
  // Delivers the next of `Incoming`, if any; no time passes in a fake.
  bool WaitForInput(double seconds) override;
  bool IsOpen() const override { return Open; }
  void Close() override { Open = false; }

  // The peer sends `bytes` now.
  void Deliver(std::string_view bytes);
  // The peer ends the connection (`reason` empty for a clean close).
  void PeerCloses(const std::string &reason = "");

  bool Open = true;
  std::string Written;
  // What the peer has ready for WaitForInput, one piece a call; "" closes.
  std::deque<std::string> Incoming;
  std::vector<double> Waits;

private:
  TStreamHandlers FHandlers;
};

class TFakeStreams : public IStreamConnector {
public:
  std::unique_ptr<IByteStream> Connect(const TStreamAddress &address, TStreamHandlers handlers,
                                       std::string &error) override;

  // Set by a test: connecting fails with this error when it is not empty.
  std::string Refusal;
  // What the next stream's peer has ready for WaitForInput.
  std::deque<std::string> Answers;
  std::vector<TStreamAddress> Connected;
  // The last stream handed out, kept alive by its owner; null before.
  TFakeStream *Last = nullptr;
};
