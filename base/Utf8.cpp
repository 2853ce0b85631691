// The UTF-8 check and decoder shared by the importer, the layout and the
// output; UTF-8 validation and repair, and the UTF-16 decoder of the importer.
#include "base/Utf8.h"

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

void AppendUtf8(std::string &out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

TUtf8Census CountUtf8(std::string_view text) {
  TUtf8Census census;
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      ++census.Invalid;
      ++i;
    } else {
      census.Multibyte += length > 1;
      i += length;
    }
  }
  return census;
}

std::string RepairUtf8(std::string_view text, size_t &replaced) {
  std::string out;
  out.reserve(text.size());
  replaced = 0;
  for (size_t i = 0; i < text.size();) {
    const size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      out += ReplacementCharacter;
      ++replaced;
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

namespace {

// Appends `codePoint` as UTF-8, or U+FFFD (counted in `replaced`) where it is
// no character: a surrogate, or beyond U+10FFFF.
void AppendCharacter(std::string &out, uint32_t codePoint, size_t &replaced) {
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    out += ReplacementCharacter;
    ++replaced;
  } else {
    AppendUtf8(out, codePoint);
  }
}

// A last unit cut short is one U+FFFD more.
void EndUnits(std::string &out, size_t size, size_t unit, size_t &replaced) {
  if (size % unit == 0) return;
  out += ReplacementCharacter;
  ++replaced;
}

} // namespace

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian, size_t &replaced) {
  std::string out;
  out.reserve(bytes.size());
  replaced = 0;
  const size_t units = bytes.size() / 2;
  const auto unit = [&](size_t k) -> uint32_t {
    const auto first = static_cast<unsigned char>(bytes[2 * k]);
    const auto second = static_cast<unsigned char>(bytes[2 * k + 1]);
    return bigEndian ? (first << 8) | second : (second << 8) | first;
  };
  for (size_t k = 0; k < units; ++k) {
    const uint32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const uint32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    AppendCharacter(out, u, replaced);
  }
  EndUnits(out, bytes.size(), 2, replaced);
  return out;
}

std::string Utf32ToUtf8(std::string_view bytes, bool bigEndian, size_t &replaced) {
  std::string out;
  out.reserve(bytes.size() / 2);
  replaced = 0;
  for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    uint32_t value = 0;
    for (size_t k = 0; k < 4; ++k) {
      const auto byte = static_cast<unsigned char>(bytes[at + (bigEndian ? k : 3 - k)]);
      value = (value << 8) | byte;
    }
    AppendCharacter(out, value, replaced);
  }
  EndUnits(out, bytes.size(), 4, replaced);
  return out;
}
