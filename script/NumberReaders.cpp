// The integer and float readers of the script format.
#include "script/NumberReaders.h"

#include <charconv>
#include <cmath>
#include <cstddef>

#include "base/Ascii.h"

namespace {

std::size_t SkipSpaces(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  return i;
}

TNumberRead<int32_t> ReadHex(std::string_view text, std::size_t i) {
  uint32_t value = 0;
  std::size_t first = i;
  for (; i < text.size(); ++i) {
    int digit = HexDigit(text[i]);
    if (digit < 0) return {static_cast<int32_t>(value), false};
    if (value > 0x0FFFFFFFu) return {0, false}; // a fifth nibble would not fit
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return {static_cast<int32_t>(value), i > first};
}

// Roughly the power of ten of a well-formed decimal number too large or too
// small for a double: positive means too large. Saturates instead of wrapping.
long DecimalExponent(std::string_view number) {
  long exponent = 0;
  bool leading = true; // still in the zeros before the first significant digit
  bool fraction = false;
  std::size_t i = number[0] == '-' ? 1 : 0;
  for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
    if (number[i] == '.') {
      fraction = true;
    } else if (leading && number[i] == '0') {
      if (fraction) --exponent;
    } else {
      leading = false;
      if (!fraction && exponent < 100000) ++exponent;
    }
  }
  if (i < number.size()) {
    long written = 0;
    bool negative = number[++i] == '-';
    if (number[i] == '-' || number[i] == '+') ++i;
    for (; i < number.size(); ++i)
      if (written < 100000) written = written * 10 + (number[i] - '0');
    exponent += negative ? -written : written;
  }
  return exponent;
}

} // namespace

TNumberRead<int32_t> ReadInteger(std::string_view text) {
  std::size_t i = SkipSpaces(text);
  if (i < text.size() && text[i] == '$') return ReadHex(text, i + 1);

  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a magnitude, so -2147483648 fits and anything beyond is
  // caught before it can wrap.
  const uint64_t limit = negative ? 2147483648u : 2147483647u;
  uint64_t magnitude = 0;
  std::size_t first = i;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return {static_cast<int32_t>(magnitude), false};
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > limit) return {0, false};
  }
  if (i == first) return {0, false};
  int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return {static_cast<int32_t>(value), true};
}

TNumberRead<double> ReadFloat(std::string_view text) {
  std::size_t i = SkipSpaces(text);
  const std::size_t numberStart = i;
  double mantissaDigits = 0; // the not-cleanly result
  int digitCount = 0;
  auto readDigits = [&] {
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digitCount)
      mantissaDigits = mantissaDigits * 10 + (text[i] - '0');
  };

  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  readDigits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    readDigits();
  }
  if (digitCount == 0) return {mantissaDigits, false};
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t exponent = i + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    if (exponent >= text.size() || !IsDigit(text[exponent])) return {mantissaDigits, false};
    i = exponent;
    while (i < text.size() && IsDigit(text[i]))
      ++i;
  }
  if (i != text.size()) return {mantissaDigits, false};

  // The text is now a well-formed decimal number; from_chars reads it the
  // same whatever the locale. It takes no "+" sign, so skip one.
  std::size_t start = numberStart;
  if (text[start] == '+') ++start;
  double value = 0;
  auto result = std::from_chars(text.data() + start, text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    value = DecimalExponent(text.substr(start)) > 0 ? HUGE_VAL : 0.0;
    if (text[start] == '-') value = -value;
  }
  return {value, true};
}
