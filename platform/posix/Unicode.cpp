// Display widths and grapheme boundaries from utf8proc.
#include "platform/Unicode.h"

#include <utf8proc.h>

int CharWidth(char32_t code) { return utf8proc_charwidth(static_cast<utf8proc_int32_t>(code)); }

bool GraphemeBreak(char32_t previous, char32_t next, int32_t &state) {
  return utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(previous),
                                          static_cast<utf8proc_int32_t>(next), &state);
}
