// The UTF-8 check and decoder shared by the importer, the layout and the
// output.
#include "platform/Utf8.h"

size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;  // no overlong forms
    if (lead == 0xED) high = 0x9F; // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F; // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if ((byte(k) & 0xC0) != 0x80) return 0;
  return length;
}

char32_t DecodeUtf8(std::string_view text, size_t at, size_t &length) {
  length = Utf8SequenceLength(text, at);
  if (length == 0) {
    length = 1;
    return Utf8Replacement;
  }
  static constexpr unsigned char LeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t code = static_cast<unsigned char>(text[at]) & LeadBits[length];
  for (size_t i = 1; i < length; ++i)
    code = code << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  return code;
}
