// Cuts a subtitle text into the pieces the layout may not split, each with
// its display width: bytes of an 8-bit text, grapheme clusters of UTF-8 text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

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
std::vector<TTextUnit> SplitTextUnits(std::string_view text, bool unicode);
