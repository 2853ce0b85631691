// Cuts a byte stream into lines at LF. A line longer than the limit is
// dropped whole (up to its LF), so a runaway peer costs bounded memory.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class TLineFramer {
public:
  static constexpr size_t MaxLine = 1 << 20;

  // Adds received bytes; `line` gets each complete line, without its LF.
  void Add(std::string_view bytes, const std::function<void(std::string_view)> &line);
  // Lines dropped for their length so far.
  int Dropped() const { return FDropped; }

private:
  std::string FPending;
  bool FSkipping = false;
  int FDropped = 0;
};
