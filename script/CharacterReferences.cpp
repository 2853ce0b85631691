// Reads HTML's character references: a binary search of the generated table
// of names (script/HtmlEntities.inc) and the decimal and hexadecimal numbers.
#include "script/CharacterReferences.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "base/Ascii.h"
#include "base/Utf8.h"

namespace {

struct TNamedReference {
  std::string_view Name;
  uint32_t First;
  uint32_t Second; // 0 for a name of one character
};

constexpr TNamedReference Named[] = {
#include "script/HtmlEntities.inc"
};

constexpr bool ByName(const TNamedReference &a, const TNamedReference &b) {
  return a.Name < b.Name;
}
static_assert(std::is_sorted(std::begin(Named), std::end(Named), ByName));

// The longest name, its ";" included, and the longest of the old names that
// need no ";": how far a search ever looks.
constexpr size_t LongestName(bool withoutSemicolon) {
  size_t longest = 0;
  for (const TNamedReference &entry : Named)
    if (!withoutSemicolon || entry.Name.back() != ';')
      longest = std::max(longest, entry.Name.size());
  return longest;
}
constexpr size_t MaxNameLength = LongestName(false);
constexpr size_t MaxBareNameLength = LongestName(true);

// The most digits a number reads, in either base: enough for every character
// in hexadecimal, and a decimal number of 7 digits stays text as it always
// has.
constexpr size_t MaxDigits = 6;

constexpr bool IsNameByte(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

const TNamedReference *FindName(std::string_view name) {
  const TNamedReference key{name, 0, 0};
  const TNamedReference *entry = std::lower_bound(std::begin(Named), std::end(Named), key, ByName);
  return entry != std::end(Named) && entry->Name == name ? entry : nullptr;
}

void AppendNamed(const TNamedReference &entry, std::string &out) {
  for (uint32_t character : {entry.First, entry.Second}) {
    if (character == '\t' || character == '\n')
      out += ' ';
    else if (character != 0)
      AppendUtf8(out, character);
  }
}

// A name with its ";", else the longest old name that opens the letters.
size_t ReadNamed(std::string_view text, std::string &out) {
  size_t letters = 0;
  while (letters < text.size() && letters < MaxNameLength && IsNameByte(text[letters]))
    ++letters;
  if (letters < text.size() && text[letters] == ';') {
    if (const TNamedReference *entry = FindName(text.substr(0, letters + 1))) {
      AppendNamed(*entry, out);
      return letters + 1;
    }
  }
  for (size_t length = std::min(letters, MaxBareNameLength); length > 0; --length) {
    if (const TNamedReference *entry = FindName(text.substr(0, length))) {
      AppendNamed(*entry, out);
      return length;
    }
  }
  return 0;
}

// "#233;" or "#xE9;".
size_t ReadNumber(std::string_view text, std::string &out) {
  const bool hex = text.size() > 1 && (text[1] == 'x' || text[1] == 'X');
  const size_t first = hex ? 2 : 1;
  size_t end = first;
  uint32_t value = 0;
  while (end < text.size() && end - first < MaxDigits) {
    const int digit = hex ? HexDigit(text[end]) : IsDigit(text[end]) ? text[end] - '0' : -1;
    if (digit < 0) break;
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    ++end;
  }
  if (end == first || end >= text.size() || text[end] != ';') return 0;
  if (value < 0x20 || (value >= 0x7F && value < 0xA0) || (value >= 0xD800 && value <= 0xDFFF) ||
      value > 0x10FFFF)
    return 0;
  AppendUtf8(out, value);
  return end + 1;
}

} // namespace

size_t ReadCharacterReference(std::string_view text, std::string &out) {
  if (!text.empty() && text[0] == '#') return ReadNumber(text, out);
  return ReadNamed(text, out);
}
