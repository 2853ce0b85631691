// Cutting texts into layout units by grapheme cluster and display width.
#include "driver/TextUnits.h"

#include <algorithm>

#include "platform/TextRender.h"
#include "platform/Unicode.h"
#include "platform/Utf8.h"
#include "script/TextStyle.h"

namespace {

int DisplayWidth(char32_t code) { return IsControlCharacter(code) ? 1 : CharWidth(code); }

} // namespace

std::vector<TTextUnit> SplitTextUnits(std::string_view text, bool unicode) {
  std::vector<TTextUnit> units;
  units.reserve(text.size());
  if (!unicode) {
    for (uint32_t i = 0; i < text.size(); ++i)
      units.push_back({i, i + 1, 1});
    return units;
  }
  int32_t state = 0;
  char32_t previous = 0;
  bool afterMarker = true; // nothing before the first character to join
  for (size_t at = 0; at < text.size();) {
    size_t length;
    const char32_t code = DecodeUtf8(text, at, length);
    const bool marker = length == 1 && TextStyle::IsMarker(text[at]);
    bool breaks = true;
    if (!marker) {
      if (at > 0) breaks = GraphemeBreak(previous, code, state);
      previous = code;
    }
    const int width = marker ? 0 : DisplayWidth(code);
    const uint32_t begin = static_cast<uint32_t>(at), end = static_cast<uint32_t>(at + length);
    // Markers stand alone; a character joins the unit before it when no
    // cluster boundary lies between them.
    if (marker || afterMarker || breaks) {
      units.push_back({begin, end, width});
    } else {
      units.back().End = end;
      units.back().Width = std::max(units.back().Width, width);
    }
    afterMarker = marker;
    at += length;
  }
  return units;
}
