// The line reader and text helpers of the subtitle readers.
#include "script/TextLines.h"

#include <algorithm>
#include <cstring>

// The next `c` at or after `from`, remembered so that a text of one kind of
// line end is not searched again for the other on every line.
size_t TTextLines::NextOf(char c, size_t &cached, size_t from) const {
  if (cached == std::string_view::npos || cached < from) {
    const void *found = std::memchr(FText.data() + from, c, FText.size() - from);
    cached =
        found ? static_cast<size_t>(static_cast<const char *>(found) - FText.data()) : FText.size();
  }
  return cached;
}

bool TTextLines::Next(std::string_view &line) {
  if (FPos >= FText.size()) return false;
  const size_t end = std::min(NextOf('\r', FNextCr, FPos), NextOf('\n', FNextLf, FPos));
  line = FText.substr(FPos, end - FPos);
  FPos = end;
  if (FPos < FText.size() && FText[FPos++] == '\r' && FPos < FText.size() && FText[FPos] == '\n')
    ++FPos;
  ++FNumber;
  return true;
}

bool ReadDigits(std::string_view text, uint32_t &value) {
  if (!IsDigits(text) || text.size() > 9) return false;
  value = 0;
  for (char c : text)
    value = value * 10 + static_cast<uint32_t>(c - '0');
  return true;
}
