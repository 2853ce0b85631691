// ASCII case folding and digit runs.
#include "base/Ascii.h"

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsDigit(c)) return false;
  return true;
}

std::string LowerCase(std::string_view text) {
  std::string result(text);
  for (char &c : result)
    c = LowerAscii(c);
  return result;
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char &c : result)
    c = UpperAscii(c);
  return result;
}

bool EqualsUpperCase(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (UpperAscii(text[i]) != upper[i]) return false;
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}
