// Code page names and numbers: the Windows number for the names people give
// to the common legacy code pages.
#include "platform/Charsets.h"

#include <cctype>

#include "base/Ascii.h"

namespace {

struct TNamedCodePage {
  const char *Name; // lower case, without "-", "_" or blanks
  uint32_t Number;
};

const TNamedCodePage NamedCodePages[] = {
    {"latin1", 28591},    {"latin2", 28592}, {"latin3", 28593},  {"latin4", 28594},
    {"latin5", 28599},    {"latin7", 28603}, {"latin9", 28605},  {"cyrillic", 28595},
    {"greek", 28597},     {"hebrew", 28598}, {"arabic", 28596},  {"koi8r", 20866},
    {"koi8u", 21866},     {"utf8", 65001},   {"shiftjis", 932},  {"sjis", 932},
    {"gbk", 936},         {"gb2312", 936},   {"big5", 950},      {"euckr", 949},
    {"uhc", 949},         {"eucjp", 20932},  {"gb18030", 54936}, {"tis620", 874},
    {"macintosh", 10000}, {"ascii", 20127},  {"usascii", 20127},
};

// Windows numbers of ISO-8859-n.
uint32_t IsoNumber(uint32_t part) {
  if (part >= 1 && part <= 9) return 28590 + part;
  if (part == 13) return 28603;
  if (part == 15) return 28605;
  return 0;
}

// The number the text ends with when the rest is exactly `prefix`; 0 if not.
uint32_t NumberAfter(const std::string &text, const std::string &prefix) {
  if (text.size() <= prefix.size() || text.compare(0, prefix.size(), prefix) != 0) return 0;
  uint32_t number = 0;
  for (size_t i = prefix.size(); i < text.size(); ++i) {
    if (!IsDigit(text[i]) || number > 99999) return 0;
    number = number * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  return number;
}

} // namespace

uint32_t CodePageNumber(std::string_view codePage) {
  std::string key;
  for (char c : codePage)
    if (c != '-' && c != '_' && c != ' ') key += c;
  key = LowerCase(key);
  if (uint32_t number = NumberAfter("cp" + key, "cp")) return number;
  for (const char *prefix : {"cp", "windows", "win", "ibm", "ms"})
    if (uint32_t number = NumberAfter(key, prefix)) return number;
  if (uint32_t part = NumberAfter(key, "iso8859")) return IsoNumber(part);
  for (const TNamedCodePage &named : NamedCodePages)
    if (key == named.Name) return named.Number;
  return 0;
}
