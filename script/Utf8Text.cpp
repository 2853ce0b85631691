// UTF-8 validation and repair, and the UTF-16 decoder of the importer.
#include "script/Utf8Text.h"

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
    if (u >= 0xD800 && u <= 0xDFFF) {
      out += ReplacementCharacter;
      ++replaced;
    } else {
      AppendUtf8(out, u);
    }
  }
  if (bytes.size() % 2) {
    out += ReplacementCharacter;
    ++replaced;
  }
  return out;
}
