// Display widths and grapheme boundaries from the table generated from
// utf8proc, which has no Windows build here.
#include "platform/Unicode.h"

#include "base/UnicodeTable.h"

int CharWidth(char32_t code) { return TableCharWidth(code); }

bool GraphemeBreak(char32_t previous, char32_t next, int32_t &state) {
  return ClassBreak(TableBreakClass(previous), TableBreakClass(next), state);
}
