// Rendering imported text lines for a screen or a file.
#include "base/TextRender.h"

#include "base/TextStyle.h"
#include "base/Utf8.h"

std::string RenderText(const std::string &utf8, bool screen, bool sgr) {
  std::string out;
  out.reserve(utf8.size() + 16);
  bool styled = false; // an SGR sequence was written and must be ended
  for (size_t at = 0; at < utf8.size();) {
    size_t length;
    const char32_t code = DecodeUtf8(utf8, at, length);
    const char c = utf8[at];
    if (length == 1 && TextStyle::IsMarker(c)) {
      if (sgr) {
        out += c == TextStyle::ItalicOn    ? "\x1b[3m"
               : c == TextStyle::ItalicOff ? "\x1b[23m"
               : c == TextStyle::BoldOn    ? "\x1b[1m"
                                           : "\x1b[22m";
        styled = true;
      }
    } else if (code == Utf8Replacement && length == 1) {
      out += '?';
    } else if (screen && IsControlCharacter(code)) {
      out += code == '\t' ? ' ' : '?';
    } else {
      out.append(utf8, at, length);
    }
    at += length;
  }
  if (styled) out += "\x1b[0m";
  return out;
}
