// Cuts a subtitle text into the pieces the layout may not split, each with
// its display width: bytes of an 8-bit text, grapheme clusters of UTF-8 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct TTextUnit {
  uint32_t Begin; // byte offsets in the text
  uint32_t End;
  int Width; // display columns
};

// An 8-bit text is one unit of width 1 per byte. A UTF-8 text is cut at
// grapheme cluster boundaries: a character keeps its combining marks, wide
// characters take two columns, and each style marker byte is a unit of its
// own with no width. Other control characters take one column (the output
// shows them as "?"); a byte that is not valid UTF-8 is a unit of width 1.
//
// The units one at a time, so a text of any length needs no table of them.
// A copy is a saved position: reading on from it gives the same units again.
class TTextUnitReader {
public:
  TTextUnitReader(std::string_view text, bool unicode);
  bool AtEnd() const { return !FHasNext; }
  // The unit at the position; only when not AtEnd.
  const TTextUnit &Peek() const { return FNext; }
  // The byte offset of the position: the next unit's Begin, or the text's
  // length at the end. Units lie end to end, so offsets order positions.
  uint32_t Offset() const { return FHasNext ? FNext.Begin : static_cast<uint32_t>(FText.size()); }
  void Advance();

private:
  // Decodes the character at FAt into FPending, with whether it starts a unit.
  void DecodePending();

  std::string_view FText;
  bool FUnicode;
  TTextUnit FNext{0, 0, 0};
  bool FHasNext = false;
  // The character after FNext, already decoded (a unit cannot end before the
  // character after it is known not to join it).
  TTextUnit FPending{0, 0, 0};
  bool FPendingStarts = false;
  bool FHasPending = false;
  size_t FAt = 0; // the first byte not yet decoded
  int32_t FState = 0;
  char32_t FPrevious = 0;
  bool FAfterMarker = true; // nothing before the first character to join
};
