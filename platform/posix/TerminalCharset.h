// The one converter into the terminal's charset (the locale's): from the
// console's code page, used by the title and by the output stream, and from
// imported UTF-8 text.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <string>

class TTerminalCharset {
public:
  // From code page `codePage` to the charset of the LC_CTYPE locale that
  // main chose; without such a conversion text passes unchanged.
  explicit TTerminalCharset(uint32_t codePage);
  ~TTerminalCharset();
  TTerminalCharset(const TTerminalCharset &) = delete;
  TTerminalCharset &operator=(const TTerminalCharset &) = delete;

  // The bytes in the terminal's charset; a byte that cannot be shown
  // becomes "?".
  std::string Convert(const std::string &text);
  // UTF-8 text in the terminal's charset: composed first (a letter and its
  // accent become the one character a legacy charset may have), then one "?"
  // for each character the charset lacks. No transliteration: what shows is
  // the text or "?".
  std::string ConvertUtf8(const std::string &utf8);
  // Text in the locale's own charset (file names, system and library
  // messages) as UTF-8: unchanged in a UTF-8 locale, otherwise decoded, a
  // byte the charset lacks becoming U+FFFD.
  std::string LocalToUtf8(const std::string &text) const;

private:
  iconv_t FConverter;
  std::string FCharset;
  iconv_t FFromUtf8; // opened on first use, unless the charset is UTF-8
  bool FFromUtf8Opened = false;
};
