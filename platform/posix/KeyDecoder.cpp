// Decoding of terminal input bytes into key events.
#include "platform/posix/KeyDecoder.h"

#include <cstdlib>

namespace {

constexpr char Escape = 0x1b;
// Longer "sequences" are garbage; they are dropped as one key without a
// character rather than held forever.
constexpr size_t LongestSequence = 32;

// Windows virtual-key codes for the keys a terminal reports by sequence.
uint16_t VirtualKeyOf(char final) {
  switch (final) {
  case 'A': return 0x26; // up
  case 'B': return 0x28; // down
  case 'C': return 0x27; // right
  case 'D': return 0x25; // left
  case 'H': return 0x24; // home
  case 'F': return 0x23; // end
  default: return 0;
  }
}

size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

} // namespace

void TKeyDecoder::Feed(const char *bytes, size_t count, TClock::time_point now) {
  if (FPending.empty()) FPendingSince = now;
  FPending.append(bytes, count);
  while (!FPending.empty() && DecodeOne()) {
  }
  if (!FPending.empty() && FPending.size() > LongestSequence) {
    FPending.clear();
    AddKey(0);
  }
}

void TKeyDecoder::Expire(TClock::time_point now) {
  if (FPending.empty() || now - FPendingSince < EscapeWait) return;
  // A lone escape byte was the Escape key; anything longer was a sequence
  // cut short, which is still a key without a character.
  AddKey(FPending == std::string(1, Escape) ? Escape : 0);
  FPending.clear();
}

bool TKeyDecoder::DecodeOne() {
  unsigned char first = static_cast<unsigned char>(FPending[0]);
  if (first >= 0x80) {
    // A character outside ASCII names no command; it is one key whatever
    // its length in the terminal's UTF-8.
    size_t length = Utf8Length(first);
    if (FPending.size() < length) return false;
    size_t taken = 1;
    while (taken < length && (static_cast<unsigned char>(FPending[taken]) & 0xC0) == 0x80)
      ++taken;
    FPending.erase(0, taken);
    AddKey(0);
    return true;
  }
  if (first != Escape) {
    FPending.erase(0, 1);
    AddKey(static_cast<char>(first));
    return true;
  }
  if (FPending.size() < 2) return false;
  char second = FPending[1];
  if (second == '[') {
    size_t end = 2;
    while (end < FPending.size() && !(FPending[end] >= 0x40 && FPending[end] <= 0x7E))
      ++end;
    if (end == FPending.size()) return false;
    std::string parameters = FPending.substr(2, end - 2);
    char final = FPending[end];
    FPending.erase(0, end + 1);
    DecodeControlSequence(parameters, final);
    return true;
  }
  if (second == 'O') {
    if (FPending.size() < 3) return false;
    char final = FPending[2];
    FPending.erase(0, 3);
    AddKey(0, VirtualKeyOf(final));
    return true;
  }
  if (second == Escape) {
    FPending.erase(0, 1);
    AddKey(Escape);
    return true;
  }
  // Escape and a character: the terminal's Alt key, which Windows delivers
  // as the character itself.
  FPending.erase(0, 2);
  AddKey(second);
  return true;
}

void TKeyDecoder::DecodeControlSequence(const std::string &parameters, char final) {
  if (final == 't' && parameters.rfind("9;", 0) == 0) {
    char *end = nullptr;
    long rows = std::strtol(parameters.c_str() + 2, &end, 10);
    if (end && *end == ';') {
      long columns = std::strtol(end + 1, nullptr, 10);
      if (rows > 0 && columns > 0 && rows <= 0x7fff && columns <= 0x7fff) {
        WindowReport = TCoord{static_cast<int16_t>(columns), static_cast<int16_t>(rows)};
        return;
      }
    }
  }
  AddKey(0, VirtualKeyOf(final));
}

void TKeyDecoder::AddKey(char ch, uint16_t virtualKey) {
  TInputRecord down;
  down.EventType = KeyEvent;
  down.KeyDown = 1;
  down.RepeatCount = 1;
  down.VirtualKeyCode = virtualKey;
  down.AsciiChar = ch;
  TInputRecord up = down;
  up.KeyDown = 0;
  Events.push_back(down);
  Events.push_back(up);
}
