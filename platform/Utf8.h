// Reading UTF-8: the one check of a well-formed sequence, and code points one
// at a time for the layout and the output.
#pragma once

#include <cstddef>
#include <string_view>

// The length of the well-formed UTF-8 sequence at text[i] (1 for ASCII), or 0
// when the bytes there are not one (truncated, overlong, a surrogate, beyond
// U+10FFFF).
size_t Utf8SequenceLength(std::string_view text, size_t i);

// The code point at `at` and its length in bytes. A byte that does not start
// a valid sequence (truncated, overlong, a surrogate, beyond U+10FFFF) gives
// U+FFFD and length 1, so every byte is consumed exactly once.
char32_t DecodeUtf8(std::string_view text, size_t at, size_t &length);

constexpr char32_t Utf8Replacement = 0xFFFD;
