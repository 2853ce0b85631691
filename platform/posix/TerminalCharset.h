// The one converter from the console's code page to the terminal's charset
// (the locale's), used by the title and by the output stream.
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

private:
  iconv_t FConverter;
};
