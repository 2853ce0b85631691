// Cutting texts into layout units by grapheme cluster and display width.
#include "driver/TextUnits.h"

#include <algorithm>

#include "base/TextRender.h"
#include "base/TextStyle.h"
#include "base/Utf8.h"
#include "platform/Unicode.h"

namespace {

int DisplayWidth(char32_t code) { return IsControlCharacter(code) ? 1 : CharWidth(code); }

} // namespace

TTextUnitReader::TTextUnitReader(std::string_view text, bool unicode)
    : FText(text), FUnicode(unicode) {
  DecodePending();
  Advance();
}

void TTextUnitReader::DecodePending() {
  FHasPending = FAt < FText.size();
  if (!FHasPending) return;
  const uint32_t begin = static_cast<uint32_t>(FAt);
  if (!FUnicode) {
    FPending = {begin, begin + 1, 1};
    FPendingStarts = true;
    ++FAt;
    return;
  }
  size_t length;
  const char32_t code = DecodeUtf8(FText, FAt, length);
  const bool marker = length == 1 && TextStyle::IsMarker(FText[FAt]);
  bool breaks = true;
  if (!marker) {
    if (FAt > 0) breaks = GraphemeBreak(FPrevious, code, FState);
    FPrevious = code;
  }
  FPending = {begin, static_cast<uint32_t>(FAt + length), marker ? 0 : DisplayWidth(code)};
  // Markers stand alone; a character joins the unit before it when no
  // cluster boundary lies between them.
  FPendingStarts = marker || FAfterMarker || breaks;
  FAfterMarker = marker;
  FAt += length;
}

void TTextUnitReader::Advance() {
  FHasNext = FHasPending;
  if (!FHasNext) return;
  FNext = FPending;
  for (DecodePending(); FHasPending && !FPendingStarts; DecodePending()) {
    FNext.End = FPending.End;
    FNext.Width = std::max(FNext.Width, FPending.Width);
  }
}
