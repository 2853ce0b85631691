// Looks code points up in the generated run table and applies the extended
// grapheme cluster rules to their break classes.
#include "base/UnicodeTable.h"

#include <algorithm>
#include <iterator>

namespace {

const uint32_t Runs[] = {
#include "base/UnicodeTable.inc"
};

// The packed width and class of the run holding `code`.
uint32_t Lookup(char32_t code) {
  if (code > 0x10FFFF) code = 0; // beyond Unicode: as an unassigned control
  const uint32_t key = static_cast<uint32_t>(code) << 8 | 0xFF;
  const uint32_t *run = std::upper_bound(std::begin(Runs), std::end(Runs), key) - 1;
  return *run & 0xFF;
}

bool IsControl(int c) { return c == bcCR || c == bcLF || c == bcControl; }

// The rules for a boundary between two classes, without memory of what came
// before; the caller folds the context into `previous`.
bool SimpleBreak(int previous, int next) {
  if (previous == bcStart) return true;
  if (previous == bcCR && next == bcLF) return false;
  if (IsControl(previous) || IsControl(next)) return true;
  // Hangul syllable sequences stay together.
  if (previous == bcL && (next == bcL || next == bcV || next == bcLV || next == bcLVT))
    return false;
  if ((previous == bcLV || previous == bcV) && (next == bcV || next == bcT)) return false;
  if ((previous == bcLVT || previous == bcT) && next == bcT) return false;
  // Marks and joiners attach to what precedes them; prepended marks to what follows.
  if (next == bcExtend || next == bcZWJ || next == bcSpacingMark || previous == bcPrepend)
    return false;
  if (previous == bcPictographicZWJ && next == bcExtendedPictographic) return false;
  if (previous == bcRegionalIndicator && next == bcRegionalIndicator) return false;
  return true;
}

} // namespace

int TableCharWidth(char32_t code) { return static_cast<int>(Lookup(code) >> 5); }

int TableBreakClass(char32_t code) { return static_cast<int>(Lookup(code) & 0x1F); }

bool ClassBreak(int previous, int next, int32_t &state) {
  if (state == bcStart) state = previous;
  const bool breaks = SimpleBreak(state, next);
  if (state == bcRegionalIndicator && next == bcRegionalIndicator) {
    // A flag is two indicators: after the pair the next one starts afresh.
    state = bcOther;
  } else if (state == bcExtendedPictographic) {
    // A pictograph keeps its extenders, and with a ZWJ may join the next one.
    if (next == bcZWJ)
      state = bcPictographicZWJ;
    else if (next != bcExtend)
      state = next;
  } else {
    state = next;
  }
  return breaks;
}
