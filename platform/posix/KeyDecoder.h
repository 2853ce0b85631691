// Turns the bytes a terminal sends into console key events the way Windows
// delivers them: a key-down and a key-up record per typed character, with
// escape sequences (arrows, function keys) as keys without a character.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>

#include "platform/Console.h"

class TKeyDecoder {
public:
  using TClock = std::chrono::steady_clock;
  // How long an escape byte may wait for the rest of its sequence before it
  // counts as the Escape key on its own.
  static constexpr std::chrono::milliseconds EscapeWait{50};

  void Feed(const char *bytes, size_t count, TClock::time_point now);
  // Settles an escape sequence left incomplete for longer than EscapeWait.
  void Expire(TClock::time_point now);

  std::deque<TInputRecord> Events;
  // The terminal's answer to the largest-window question (CSI 9;rows;cols t),
  // taken out of the key stream.
  std::optional<TCoord> WindowReport;

private:
  // Decodes FPending from the start; returns false when the bytes there are
  // an incomplete sequence that needs more input.
  bool DecodeOne();
  void DecodeControlSequence(const std::string &parameters, char final);
  void AddKey(char ch, uint16_t virtualKey = 0);

  std::string FPending;
  TClock::time_point FPendingSince;
};
