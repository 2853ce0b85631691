// Lines of an imported subtitle text, ended by LF, CR LF or CR, numbered from
// 1; and the small text helpers its readers share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Ascii.h"

class TTextLines {
public:
  explicit TTextLines(std::string_view text) : FText(text) {}
  // The next line without its line end; false at the end of the text.
  bool Next(std::string_view &line);
  // The number of the line last read.
  size_t Number() const { return FNumber; }

private:
  size_t NextOf(char c, size_t &cached, size_t from) const;

  std::string_view FText;
  size_t FPos = 0;
  size_t FNumber = 0;
  size_t FNextCr = std::string_view::npos;
  size_t FNextLf = std::string_view::npos;
};

// Reads decimal digits into `value`; false for no digits, any other byte, or
// more than nine digits.
bool ReadDigits(std::string_view text, uint32_t &value);
