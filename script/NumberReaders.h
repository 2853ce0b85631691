// The two number readers of the script format: the integer reader (frame
// numbers, CODEPAGE, KEEPAHEAD) and the float reader (FPS).
#pragma once

#include <cstdint>
#include <string_view>

// Result of a reader: the value, and whether the whole text read cleanly as
// one number. A value that does not read cleanly still has a result (see the
// readers).
template <class T> struct TNumberRead {
  T Value = 0;
  bool Clean = false;
};

// Leading spaces (0x20 only), then an optional "+" or "-" and decimal digits
// that fit a signed 32-bit integer, or "$" and hexadecimal digits that fit 32
// bits (their bit pattern). Not cleanly read: the value of the digits before
// the bad byte, without sign; 0 for a decimal number that overflows.
TNumberRead<int32_t> ReadInteger(std::string_view text);

// Leading spaces, a sign, digits, optionally "." and digits, optionally an
// exponent. Not cleanly read: the mantissa digits read so far as one whole
// number, without point, exponent or sign.
TNumberRead<double> ReadFloat(std::string_view text);
