// The byte-stream contract on every platform, over both kinds of address
// (the platform's local channel and TCP), against a real peer: bytes both
// ways in order, large writes both ways at once, the MaxPending cap, the
// peer's end reported once and last, a handler closing the stream,
// WaitForInput, and addresses nothing serves.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/Loop.h"
#include "platform/StreamTestPeer.h"
#include "platform/Streams.h"

namespace {

using TClock = std::chrono::steady_clock;

// Runs the loop until `done` holds or `seconds` have passed; whether it held.
// A timer wakes the loop to look; no quit message is left behind for the
// next run on this thread.
template <typename TDone> bool RunUntil(ILoop &loop, TDone done, double seconds = 10) {
  const auto giveUp = TClock::now() + std::chrono::duration<double>(seconds);
  uintptr_t wake = loop.SetTimer(5, [] {});
  TMessage message;
  while (!done() && TClock::now() < giveUp && loop.GetMessage(message) > 0) {
    loop.TranslateMessage(message);
    loop.DispatchMessage(message);
  }
  loop.KillTimer(wake);
  return done();
}

// Bytes no two places of which look alike for long, so a lost, doubled or
// reordered piece shows.
std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (auto &byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 24);
  }
  return bytes;
}

// What the stream told its owner, in order.
struct TRecord {
  std::string Received;
  std::vector<std::string> Closed;
  bool ReceivedAfterClose = false;

  TStreamHandlers Handlers() {
    return TStreamHandlers{[this](std::string_view bytes) {
                             if (!Closed.empty()) ReceivedAfterClose = true;
                             Received.append(bytes);
                           },
                           [this](const std::string &reason) { Closed.push_back(reason); }};
  }
};

class StreamContract : public ::testing::TestWithParam<TStreamAddress::TKind> {
protected:
  void SetUp() override {
    Peer = CreateStreamTestPeer(GetParam());
    ASSERT_TRUE(Peer);
    std::string error;
    Stream = Streams->Connect(Peer->Address(), Record.Handlers(), error);
    ASSERT_TRUE(Stream) << error;
    ASSERT_TRUE(Peer->Accept());
  }

  std::unique_ptr<ILoop> Loop = CreatePlatformLoop();
  std::unique_ptr<IStreamConnector> Streams = CreatePlatformStreams(*Loop);
  std::unique_ptr<IStreamTestPeer> Peer;
  TRecord Record;
  std::unique_ptr<IByteStream> Stream;
};

TEST_P(StreamContract, CarriesBytesBothWaysInOrder) {
  std::thread sender([&] {
    for (const char *piece : {"one", "two\n", "", "three"}) {
      Peer->Send(piece);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  for (const char *piece : {"alpha", "", "beta\n", "gamma"})
    EXPECT_TRUE(Stream->Write(piece));
  EXPECT_TRUE(RunUntil(*Loop, [&] { return Record.Received.size() >= 12; }));
  sender.join();
  EXPECT_EQ(Record.Received, "onetwo\nthree");
  EXPECT_EQ(Peer->Receive(15, 5), "alphabeta\ngamma");
  EXPECT_TRUE(Stream->IsOpen());
  EXPECT_TRUE(Record.Closed.empty());
}

// The peer writes all it has before it reads (as a player does that answers
// while its own output waits): the stream must read while its writes wait.
TEST_P(StreamContract, LargeWritesBothWaysDoNotStall) {
  const size_t size = 4 << 20, chunk = 256 << 10;
  const std::string ours = Pattern(size, 1), theirs = Pattern(size, 2);
  std::string peerGot;
  std::atomic<bool> peerDone{false};
  std::thread peer([&] {
    Peer->Send(theirs);
    peerGot = Peer->Receive(size, 30);
    peerDone = true;
  });
  size_t written = 0;
  uintptr_t writer = Loop->SetTimer(2, [&] {
    while (written < size && Stream->Write(std::string_view(ours).substr(written, chunk)))
      written += chunk;
  });
  bool finished = RunUntil(
      *Loop, [&] { return peerDone && Record.Received.size() >= size; }, 40);
  Loop->KillTimer(writer);
  if (!finished) Stream->Close(); // lets the peer's thread end
  peer.join();
  ASSERT_TRUE(finished) << "received " << Record.Received.size() << ", wrote " << written
                        << ", peer got " << peerGot.size();
  EXPECT_TRUE(Record.Received == theirs) << "the bytes that came differ";
  EXPECT_TRUE(peerGot == ours) << "the bytes the peer got differ";
  EXPECT_TRUE(Record.Closed.empty());
}

// What the peer has no room for now goes out as it reads, with no further
// Write to push it.
TEST_P(StreamContract, KeptBytesGoOutAsThePeerReads) {
  const std::string ours = Pattern(IByteStream::MaxPending, 3);
  ASSERT_TRUE(Stream->Write(ours));
  std::string peerGot;
  std::atomic<bool> peerDone{false};
  std::thread peer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    peerGot = Peer->Receive(ours.size(), 20);
    peerDone = true;
  });
  bool finished = RunUntil(
      *Loop, [&] { return bool(peerDone); }, 30);
  peer.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(peerGot.size(), ours.size());
  EXPECT_TRUE(peerGot == ours) << "the bytes the peer got differ";
}

TEST_P(StreamContract, AWriteOverTheCapIsRefusedAndKeepsNothing) {
  EXPECT_FALSE(Stream->Write(std::string(IByteStream::MaxPending + 1, 'x')));
  EXPECT_TRUE(Stream->Write("ok"));
  EXPECT_EQ(Peer->Receive(3, 0.5), "ok");
  EXPECT_TRUE(Stream->IsOpen());
}

TEST_P(StreamContract, ThePeersEndComesOnceAfterItsLastBytes) {
  Peer->Send("last words");
  Peer->HangUp();
  ASSERT_TRUE(RunUntil(*Loop, [&] { return !Record.Closed.empty(); }));
  EXPECT_EQ(Record.Received, "last words");
  EXPECT_EQ(Record.Closed, std::vector<std::string>{""});
  EXPECT_FALSE(Stream->IsOpen());
  EXPECT_FALSE(Stream->Write("more"));
  RunUntil(
      *Loop, [] { return false; }, 0.1);
  EXPECT_EQ(Record.Closed.size(), 1u);
  EXPECT_FALSE(Record.ReceivedAfterClose);
}

TEST_P(StreamContract, AHandlerMayCloseTheStream) {
  int calls = 0;
  std::string error;
  auto peer = CreateStreamTestPeer(GetParam());
  std::unique_ptr<IByteStream> stream;
  stream = Streams->Connect(peer->Address(),
                            TStreamHandlers{[&](std::string_view) {
                                              ++calls;
                                              stream->Close();
                                            },
                                            [&](const std::string &) { ++calls; }},
                            error);
  ASSERT_TRUE(stream) << error;
  ASSERT_TRUE(peer->Accept());
  peer->Send("first");
  ASSERT_TRUE(RunUntil(*Loop, [&] { return calls > 0; }));
  EXPECT_FALSE(stream->IsOpen());
  peer->Send("second");
  peer->HangUp();
  RunUntil(
      *Loop, [] { return false; }, 0.1);
  EXPECT_EQ(calls, 1);
}

TEST_P(StreamContract, WaitForInputDeliversWithoutTheLoop) {
  auto start = TClock::now();
  EXPECT_FALSE(Stream->WaitForInput(0.2));
  EXPECT_GE(TClock::now() - start, std::chrono::milliseconds(150));
  EXPECT_TRUE(Record.Received.empty());

  std::thread sender([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Peer->Send("hello");
  });
  EXPECT_TRUE(Stream->WaitForInput(5));
  sender.join();
  EXPECT_EQ(Record.Received, "hello");

  Peer->HangUp();
  EXPECT_FALSE(Stream->WaitForInput(5));
  EXPECT_EQ(Record.Closed, std::vector<std::string>{""});
  EXPECT_FALSE(Stream->IsOpen());
}

TEST_P(StreamContract, AnAddressNothingServesGivesTheSystemsReason) {
  std::string error;
  TRecord record;
  auto stream = Streams->Connect(UnservedStreamAddress(GetParam()), record.Handlers(), error);
  EXPECT_FALSE(stream);
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(record.Closed.empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, StreamContract,
                         ::testing::Values(TStreamAddress::saLocal, TStreamAddress::saTcp),
                         [](const auto &info) {
                           return info.param == TStreamAddress::saLocal ? "Local" : "Tcp";
                         });

} // namespace
