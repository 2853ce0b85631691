// Text between the program's UTF-8 and the system's UTF-16, and the system's
// own words for an error code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::wstring WideOfUtf8(std::string_view utf8);
std::string Utf8OfWide(std::wstring_view wide);

// The system's message for a Win32 or Winsock error code, in UTF-8, without
// the trailing line break and period; "error N" when the system has none.
std::string SystemErrorText(uint32_t code);
