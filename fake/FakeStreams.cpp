// The tests' byte streams: what is written is kept, the peer is the test.
#include "fake/FakeStreams.h"

bool TFakeStream::Write(std::string_view bytes) {
  if (!Open || Written.size() + bytes.size() > MaxPending) return false;
  Written.append(bytes);
  return true;
}

bool TFakeStream::WaitForInput(double seconds) {
  Waits.push_back(seconds);
  if (!Open || Incoming.empty()) return false;
  std::string bytes = std::move(Incoming.front());
  Incoming.pop_front();
  if (bytes.empty()) {
    PeerCloses();
    return false;
  }
  Deliver(bytes);
  return true;
}

void TFakeStream::Deliver(std::string_view bytes) {
  if (Open && FHandlers.Received) FHandlers.Received(bytes);
}

void TFakeStream::PeerCloses(const std::string &reason) {
  if (!Open) return;
  Open = false;
  if (FHandlers.Closed) FHandlers.Closed(reason);
}

std::unique_ptr<IByteStream> TFakeStreams::Connect(const TStreamAddress &address,
                                                   TStreamHandlers handlers, std::string &error) {
  Connected.push_back(address);
  if (!Refusal.empty()) {
    error = Refusal;
    return nullptr;
  }
  auto stream = std::make_unique<TFakeStream>(std::move(handlers));
  stream->Incoming = std::move(Answers);
  Answers.clear();
  Last = stream.get();
  return stream;
}
