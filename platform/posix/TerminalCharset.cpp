// The conversion from the console's code page to the terminal's charset.
#include "platform/posix/TerminalCharset.h"

#include <cerrno>
#include <langinfo.h>

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
                            ("CP" + std::to_string(codePage)).c_str())) {}

TTerminalCharset::~TTerminalCharset() {
  if (FConverter != NoConverter) iconv_close(FConverter);
}

std::string TTerminalCharset::Convert(const std::string &text) {
  if (FConverter == NoConverter || IsAscii(text)) return text;
  iconv(FConverter, nullptr, nullptr, nullptr, nullptr);
  std::string result;
  char *in = const_cast<char *>(text.data());
  size_t inLeft = text.size();
  char chunk[256];
  while (inLeft > 0) {
    char *out = chunk;
    size_t outLeft = sizeof chunk;
    const size_t done = iconv(FConverter, &in, &inLeft, &out, &outLeft);
    result.append(chunk, sizeof chunk - outLeft);
    if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
    result += '?'; // a byte the code page lacks: skip it
    ++in;
    --inLeft;
  }
  return result;
}
