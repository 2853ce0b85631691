// UTF-8 and UTF-16: the one check of a well-formed sequence, code points one
// at a time for the layout and the output, and the importer's validating,
// repairing and writing of UTF-8 and its UTF-16 decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

void AppendUtf8(std::string &out, uint32_t codePoint);

// How much of a text reads as UTF-8: multibyte sequences and bytes that
// belong to none.
struct TUtf8Census {
  size_t Multibyte = 0;
  size_t Invalid = 0;
};
TUtf8Census CountUtf8(std::string_view text);

// The text with every byte that starts no well-formed sequence replaced by
// U+FFFD; `replaced` counts them.
std::string RepairUtf8(std::string_view text, size_t &replaced);

// UTF-16 (without its byte-order mark) as UTF-8. Unpaired surrogates and a
// last odd byte become U+FFFD; `replaced` counts them.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian, size_t &replaced);

// UTF-32 (without its byte-order mark) as UTF-8. Surrogates, values beyond
// U+10FFFF and a last incomplete unit become U+FFFD; `replaced` counts them.
std::string Utf32ToUtf8(std::string_view bytes, bool bigEndian, size_t &replaced);
