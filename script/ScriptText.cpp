// Trimming, upper-casing, the script's line reader and the field splitter.
#include "script/ScriptText.h"

#include <cstring>

std::string_view Trim(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first]))
    ++first;
  while (last > first && IsBlank(text[last - 1]))
    --last;
  return text.substr(first, last - first);
}

bool TrimmedStartsWith(std::string_view text, char c) {
  std::string_view trimmed = Trim(text);
  return !trimmed.empty() && trimmed.front() == c;
}

TLineReader::TLineReader(std::string_view bytes) : FBytes(bytes) {
  if (const void *ctrlZ = std::memchr(bytes.data(), 0x1A, bytes.size()))
    FBytes = bytes.substr(0, static_cast<const char *>(ctrlZ) - bytes.data());
}

std::string_view TLineReader::ReadLine() {
  if (Eof()) return {};
  std::size_t start = FPos;
  const void *cr = std::memchr(FBytes.data() + start, '\r', FBytes.size() - start);
  if (!cr) {
    FPos = FBytes.size();
    return FBytes.substr(start);
  }
  std::size_t end = static_cast<const char *>(cr) - FBytes.data();
  FPos = end + 1;
  if (FPos < FBytes.size() && FBytes[FPos] == '\n') ++FPos;
  return FBytes.substr(start, end - start);
}

TFields::TFields(std::string_view text) : FText(Trim(text)) {
  FStart[0] = 0;
  FCount = 1;
  for (std::size_t i = 0; i < FText.size(); ++i) {
    if (FText[i] != ';') continue;
    FEnd[FCount - 1] = i;
    if (FCount == MaxFields) return;
    // A ";" as the last byte starts a field at itself, so an empty last field
    // reads as ";".
    FStart[FCount] = i + 1 < FText.size() ? i + 1 : i;
    ++FCount;
  }
  FEnd[FCount - 1] = FText.size();
}

std::string_view TFields::Field(int n) const {
  if (n < 1 || n > FCount) return {};
  return FText.substr(FStart[n - 1], FEnd[n - 1] - FStart[n - 1]);
}
