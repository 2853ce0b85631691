// What every platform's byte stream does the same way: the handlers, the
// bytes kept for a peer with no room and their cap, the end of the stream,
// and the bounded wait of WaitForInput.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/Streams.h"

// Bytes read in one turn of the loop, so a flood cannot starve the keys.
constexpr size_t StreamReadBudget = 1 << 20;

class TByteStreamBase : public IByteStream {
public:
  bool Write(std::string_view bytes) override {
    if (!IsOpen() || InFlight() + FPending.size() + bytes.size() > MaxPending) return false;
    FPending.append(bytes);
    Flush();
    return true;
  }

protected:
  explicit TByteStreamBase(TStreamHandlers handlers) : FHandlers(std::move(handlers)) {}

  // Hands what is kept in FPending to the system, as much as it takes now.
  virtual void Flush() = 0;
  // Bytes handed to the system and not yet written; they count against the cap.
  virtual size_t InFlight() const { return 0; }

  void Deliver(std::string_view bytes) {
    if (FHandlers.Received) FHandlers.Received(bytes);
  }
  // The handler comes last: it may close the stream.
  void Lost(const std::string &reason) {
    Close();
    if (FHandlers.Closed) FHandlers.Closed(reason);
  }

  std::string FPending;

private:
  TStreamHandlers FHandlers;
};

// The end of WaitForInput's wait, and what is left of it in whole
// milliseconds (rounded up, 0 once it has passed).
class TWaitDeadline {
public:
  explicit TWaitDeadline(double seconds)
      : FEnd(std::chrono::steady_clock::now() +
             std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                 std::chrono::duration<double>(seconds))) {}
  long long MillisecondsLeft() const {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(FEnd - std::chrono::steady_clock::now());
    return left.count() > 0 ? left.count() : 0;
  }

private:
  std::chrono::steady_clock::time_point FEnd;
};
