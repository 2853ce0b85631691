// The conversions into the terminal's charset.
#include "platform/posix/TerminalCharset.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <langinfo.h>
#include <utf8proc.h>

#include "base/Utf8.h"
#include "platform/Charsets.h"
#include "platform/posix/IconvRun.h"

namespace {

const iconv_t NoConverter = reinterpret_cast<iconv_t>(-1);

bool IsAscii(const std::string &text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

} // namespace

TTerminalCharset::TTerminalCharset(uint32_t codePage)
    : FConverter(iconv_open((std::string(nl_langinfo(CODESET)) + "//TRANSLIT").c_str(),
                            ("CP" + std::to_string(codePage)).c_str())),
      FCharset(nl_langinfo(CODESET)), FFromUtf8(NoConverter) {}

TTerminalCharset::~TTerminalCharset() {
  if (FConverter != NoConverter) iconv_close(FConverter);
  if (FFromUtf8 != NoConverter) iconv_close(FFromUtf8);
}

std::string TTerminalCharset::Convert(const std::string &text) {
  if (FConverter == NoConverter || IsAscii(text)) return text;
  return IconvRun(FConverter, text, "?", [](const char *, size_t) { return size_t{1}; });
}

std::string TTerminalCharset::ConvertUtf8(const std::string &utf8) {
  if (FCharset == "UTF-8" || IsAscii(utf8)) return utf8;
  if (!FFromUtf8Opened) {
    FFromUtf8Opened = true;
    FFromUtf8 = iconv_open(FCharset.c_str(), "UTF-8");
  }
  std::string composed = utf8;
  if (utf8proc_uint8_t *nfc =
          utf8proc_NFC(reinterpret_cast<const utf8proc_uint8_t *>(utf8.c_str()))) {
    composed = reinterpret_cast<const char *>(nfc);
    std::free(nfc);
  }
  const auto character = [](const char *at, size_t left) {
    size_t length;
    DecodeUtf8(std::string_view(at, left), 0, length);
    return length;
  };
  if (FFromUtf8 != NoConverter) return IconvRun(FFromUtf8, composed, "?", character);
  // Without a converter only ASCII is sure to show.
  std::string result;
  for (size_t at = 0; at < composed.size();
       at += character(composed.data() + at, composed.size() - at))
    result += static_cast<unsigned char>(composed[at]) < 0x80 ? composed[at] : '?';
  return result;
}

std::string TTerminalCharset::LocalToUtf8(const std::string &text) const {
  std::string utf8;
  if (FCharset == "UTF-8" || IsAscii(text) || !DecodeCodePage(text, FCharset, utf8)) return text;
  return utf8;
}
