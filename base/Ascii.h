// ASCII character tests and case folding, for the parts of texts whose syntax
// is ASCII: numbers, tags, names, file extensions. Bytes above 127 are left
// alone, so UTF-8 passes through unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a hexadecimal digit, -1 for any other character.
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// True for a non-empty text of digits alone.
bool IsDigits(std::string_view text);

std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);

// Whether `text` equals `upper` (upper case) when its own letters are raised.
bool EqualsUpperCase(std::string_view text, std::string_view upper);
bool EqualsNoCase(std::string_view a, std::string_view b);

constexpr bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
constexpr bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
