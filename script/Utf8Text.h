// UTF-8 and UTF-16 helpers of the subtitle importer: validating, repairing
// and writing UTF-8, and turning UTF-16 into UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Utf8.h"

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
