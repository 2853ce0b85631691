// Byte-level helpers of the script loader: blanks and trimming, ASCII
// upper-casing, the line reader and the field splitter of opening lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/Ascii.h"

// Any byte from 0x00 to 0x20 is a blank.
constexpr bool IsBlank(unsigned char c) { return c <= 0x20; }

std::string_view Trim(std::string_view text);
// True when the trimmed text begins with `c`.
bool TrimmedStartsWith(std::string_view text, char c);

// Reads lines out of the bytes of a script. A line ends at a CR, a CR LF is
// one line end, and a lone LF is an ordinary byte of the line. A Ctrl-Z ends
// the text: nothing after it is read.
class TLineReader {
public:
  explicit TLineReader(std::string_view bytes);
  bool Eof() const { return FPos >= FBytes.size(); }
  // The next line without its line end; empty at the end of the text.
  std::string_view ReadLine();

private:
  std::string_view FBytes;
  std::size_t FPos = 0;
};

// The fields of an opening line (the text after its "{"), separated by ";".
// Only the first MaxFields are recorded; further semicolons are ignored.
class TFields {
public:
  static constexpr int MaxFields = 15;
  explicit TFields(std::string_view text);
  int Count() const { return FCount; }
  // Field n counted from 1 as a view into the line; empty when the line has
  // fewer than n fields.
  std::string_view Field(int n) const;
  std::string_view Trimmed(int n) const { return Trim(Field(n)); }

private:
  std::string_view FText;
  std::size_t FStart[MaxFields] = {};
  std::size_t FEnd[MaxFields] = {}; // one past the field's last byte
  int FCount = 0;
};
