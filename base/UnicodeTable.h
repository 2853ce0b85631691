// The generated table of display widths and grapheme break classes, and the
// extended grapheme cluster rules over it: what the Windows build uses in
// place of utf8proc, giving the same answers.
#pragma once

#include <cstdint>

// Break classes as the table stores them (utf8proc's numbering).
enum TBreakClass : int {
  bcStart = 0,
  bcOther = 1,
  bcCR = 2,
  bcLF = 3,
  bcControl = 4,
  bcExtend = 5,
  bcL = 6,
  bcV = 7,
  bcT = 8,
  bcLV = 9,
  bcLVT = 10,
  bcRegionalIndicator = 11,
  bcSpacingMark = 12,
  bcPrepend = 13,
  bcZWJ = 14,
  bcEBase = 15,
  bcEModifier = 16,
  bcGlueAfterZWJ = 17,
  bcEBaseGAZ = 18,
  bcExtendedPictographic = 19,
  bcPictographicZWJ = 20, // state only: a pictograph, extenders, then ZWJ
};

int TableCharWidth(char32_t code);
int TableBreakClass(char32_t code);
// The break rules between two classes, with the state of GraphemeBreak.
bool ClassBreak(int previous, int next, int32_t &state);
