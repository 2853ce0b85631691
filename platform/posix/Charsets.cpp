// POSIX legacy code pages: decoded into UTF-8 with iconv, by name as given
// or by the iconv name of the Windows code page number.
#include "platform/Charsets.h"

#include <cerrno>
#include <iconv.h>

#include "base/Utf8.h"
#include "platform/posix/IconvRun.h"

namespace {

// iconv's names for the Windows numbers that are not simply "CPnnnn".
std::string IconvName(uint32_t number) {
  if (number >= 28591 && number <= 28599) return "ISO-8859-" + std::to_string(number - 28590);
  switch (number) {
  case 28603: return "ISO-8859-13";
  case 28605: return "ISO-8859-15";
  case 20866: return "KOI8-R";
  case 21866: return "KOI8-U";
  case 65001: return "UTF-8";
  case 20127: return "ASCII";
  case 54936: return "GB18030";
  case 20932: return "EUC-JP";
  case 10000: return "MACINTOSH";
  case 874: return "TIS-620";
  default: return "CP" + std::to_string(number);
  }
}

iconv_t OpenDecoder(const std::string &codePage) {
  const iconv_t failed = reinterpret_cast<iconv_t>(-1);
  const bool isNumber =
      !codePage.empty() && codePage.find_first_not_of("0123456789") == std::string::npos;
  if (!isNumber && !codePage.empty()) {
    iconv_t decoder = iconv_open("UTF-8", codePage.c_str());
    if (decoder != failed) return decoder;
  }
  const uint32_t number = CodePageNumber(codePage);
  return number ? iconv_open("UTF-8", IconvName(number).c_str()) : failed;
}

} // namespace

bool DecodeCodePage(std::string_view bytes, const std::string &codePage, std::string &utf8) {
  iconv_t decoder = OpenDecoder(codePage);
  if (decoder == reinterpret_cast<iconv_t>(-1)) return false;
  // A byte the code page does not define, or a sequence cut off by the end
  // of the text: one replacement character, and on after that byte.
  std::string out =
      IconvRun(decoder, bytes, "\xEF\xBF\xBD", [](const char *, size_t) { return size_t{1}; });
  iconv_close(decoder);
  // glibc's UTF-8 decoder passes four-byte forms beyond U+10FFFF through
  // unchanged; the caller is promised UTF-8, so they are replaced too.
  size_t replaced = 0;
  utf8 = RepairUtf8(out, replaced);
  return true;
}
