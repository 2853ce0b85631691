// The UTF-8 decoder shared by the layout and the output.
#include "platform/Utf8.h"

char32_t DecodeUtf8(std::string_view text, size_t at, size_t &length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  length = 1;
  if (lead < 0x80) return lead;
  size_t more;
  char32_t code, least;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1, code = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2, code = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3, code = lead & 0x07, least = 0x10000;
  } else {
    return Utf8Replacement;
  }
  if (at + more >= text.size()) return Utf8Replacement;
  for (size_t i = 1; i <= more; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return Utf8Replacement;
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return Utf8Replacement;
  length = more + 1;
  return code;
}
