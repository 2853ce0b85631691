// Unicode character properties for laying out text: display widths and
// grapheme cluster boundaries. POSIX asks utf8proc; Windows reads the same
// values from a table generated from utf8proc (platform/UnicodeTable.inc).
#pragma once

#include <cstdint>

// Columns a code point takes on a terminal: 0 for combining marks, joiners,
// format and control characters, 2 for East Asian wide characters and emoji,
// 1 otherwise.
int CharWidth(char32_t code);

// True when a grapheme cluster boundary lies between two consecutive code
// points. `state` carries what the rules need along one text (regional
// indicator pairs, emoji joined by ZWJ); it starts at 0.
bool GraphemeBreak(char32_t previous, char32_t next, int32_t &state);
