// Charsets service: legacy code pages decoded into UTF-8, and a guess at the
// charset of a text where the build has a detector.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Decodes `bytes`, written in the code page `codePage` (a number such as
// "1250" or a name such as "cp1250", "windows-1250" or "iso-8859-2"), into
// UTF-8. A byte the code page does not define becomes U+FFFD. False, with
// `utf8` untouched, when this system cannot decode that code page.
bool DecodeCodePage(std::string_view bytes, const std::string &codePage, std::string &utf8);

// The charset a detector guesses for `bytes` (for example "WINDOWS-1250"), or
// an empty string when the build has no detector or it cannot tell.
std::string GuessCharset(std::string_view bytes);

// The Windows code page number of a code page given by number or name; 0 when
// the name is not one of the common ones.
uint32_t CodePageNumber(std::string_view codePage);
