// The POSIX stand-in for the system's OEM/ANSI code-page pair: the pair that
// Windows gives the locale's language, with iconv translation tables.
#pragma once

#include <string>

#include "platform/CodePages.h"

// The OEM and ANSI code page numbers Windows pairs with a locale name such as
// "cs_CZ.UTF-8", "en_US" or "C".
struct TCodePagePair {
  uint32_t OEM;
  uint32_t ANSI;
};
TCodePagePair CodePagePairForLocale(const std::string &localeName);

// The locale name that decides the pair: the program's LC_CTYPE locale when
// it has chosen one, else LC_ALL, LC_CTYPE or LANG from the environment.
std::string CurrentLocaleName();

class TLocaleCodePages : public ICodePages {
public:
  explicit TLocaleCodePages(const std::string &localeName);
  uint32_t GetOEMCP() override { return FPair.OEM; }
  uint32_t GetACP() override { return FPair.ANSI; }
  std::string OemToChar(const std::string &text) override { return Translate(text, FOemToAnsi); }
  std::string CharToOem(const std::string &text) override { return Translate(text, FAnsiToOem); }

private:
  static std::string Translate(const std::string &text, const unsigned char (&table)[256]);
  TCodePagePair FPair;
  unsigned char FOemToAnsi[256];
  unsigned char FAnsiToOem[256];
};
