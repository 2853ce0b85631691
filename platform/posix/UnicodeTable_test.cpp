// The generated table that the Windows build uses must give utf8proc's
// answers: the same width and break class for every code point, and the same
// cluster boundaries along every short sequence of classes.
#include <gtest/gtest.h>

#include <map>
#include <utf8proc.h>
#include <vector>

#include "base/UnicodeTable.h"

namespace {

TEST(UnicodeTable, EveryCodePointHasUtf8procsWidthAndBreakClass) {
  int mismatches = 0;
  for (utf8proc_int32_t code = 0; code <= 0x10FFFF && mismatches < 5; ++code) {
    const char32_t c = static_cast<char32_t>(code);
    if (TableCharWidth(c) != utf8proc_charwidth(code) ||
        TableBreakClass(c) != utf8proc_get_property(code)->boundclass) {
      ADD_FAILURE() << "U+" << std::hex << code << ": regenerate platform/UnicodeTable.inc";
      ++mismatches;
    }
  }
}

TEST(UnicodeTable, BoundariesMatchUtf8procAlongEverySequenceOfFourClasses) {
  std::map<int, char32_t> sample; // one code point of each class
  for (char32_t code = 0; code <= 0x10FFFF; ++code)
    sample.emplace(TableBreakClass(code), code);
  std::vector<char32_t> codes;
  for (const auto &entry : sample)
    codes.push_back(entry.second);
  ASSERT_GE(codes.size(), 14u);
  const size_t n = codes.size();
  int mismatches = 0;
  for (size_t index = 0; index < n * n * n * n && mismatches < 5; ++index) {
    const char32_t seq[4] = {codes[index % n], codes[index / n % n], codes[index / n / n % n],
                             codes[index / n / n / n]};
    utf8proc_int32_t theirs = 0;
    int32_t ours = 0;
    for (int i = 1; i < 4; ++i) {
      const bool expected =
          utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(seq[i - 1]),
                                           static_cast<utf8proc_int32_t>(seq[i]), &theirs);
      if (ClassBreak(TableBreakClass(seq[i - 1]), TableBreakClass(seq[i]), ours) != expected) {
        ADD_FAILURE() << "sequence " << std::hex << uint32_t{seq[0]} << " " << uint32_t{seq[1]}
                      << " " << uint32_t{seq[2]} << " " << uint32_t{seq[3]}
                      << " differs before item " << i;
        ++mismatches;
        break;
      }
    }
  }
}

} // namespace
