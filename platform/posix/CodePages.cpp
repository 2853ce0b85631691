// The POSIX code pages: the locale's language picks the OEM/ANSI pair, and
// iconv fills byte-for-byte translation tables between the two.
#include "platform/posix/LocaleCodePages.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iconv.h>

#include "base/Ascii.h"

namespace {

struct TLanguagePair {
  const char *Languages; // space-separated language codes
  TCodePagePair Pair;
};

// How Windows pairs the system code pages with the user's language.
const TLanguagePair LanguagePairs[] = {
    {"cs sk pl hu sl hr ro sq bs", {852, 1250}},
    {"ru uk be bg mk sr", {866, 1251}},
    {"el", {737, 1253}},
    {"tr", {857, 1254}},
    {"he", {862, 1255}},
    {"ar fa", {720, 1256}},
    {"et lv lt", {775, 1257}},
    {"vi", {1258, 1258}},
    {"th", {874, 874}},
    {"de fr es it pt nl da sv no nb nn fi is ga ca eu gl lb fo oc br cy gd af", {850, 1252}},
};

bool InList(const char *list, const std::string &word) {
  for (const char *p = list; *p;) {
    const char *end = std::strchr(p, ' ');
    size_t length = end ? static_cast<size_t>(end - p) : std::strlen(p);
    if (word.size() == length && word.compare(0, length, p, length) == 0) return true;
    p += length;
    while (*p == ' ')
      ++p;
  }
  return false;
}

// Fills `table` with the translation of every byte from one code page to the
// other. A byte with no single-byte counterpart becomes "?", so texts keep
// their length; without a converter only ASCII passes.
void FillTable(unsigned char (&table)[256], uint32_t from, uint32_t to) {
  for (int b = 0; b < 256; ++b)
    table[b] = b < 0x80 ? static_cast<unsigned char>(b) : '?';
  if (from == to) {
    for (int b = 0; b < 256; ++b)
      table[b] = static_cast<unsigned char>(b);
    return;
  }
  std::string fromName = "CP" + std::to_string(from);
  std::string toName = "CP" + std::to_string(to) + "//TRANSLIT";
  iconv_t converter = iconv_open(toName.c_str(), fromName.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return;
  for (int b = 0x80; b < 256; ++b) {
    char in = static_cast<char>(b), out[8];
    char *inPtr = &in, *outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    size_t done = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    if (done != static_cast<size_t>(-1) && inLeft == 0 && outPtr - out == 1)
      table[b] = static_cast<unsigned char>(out[0]);
  }
  iconv_close(converter);
}

} // namespace

TCodePagePair CodePagePairForLocale(const std::string &localeName) {
  std::string language = LowerCase(localeName.substr(0, localeName.find_first_of("_.@")));
  // Serbian in Latin letters goes with the Central European pair.
  if (language == "sr" && localeName.find("@latin") != std::string::npos) return {852, 1250};
  for (const TLanguagePair &entry : LanguagePairs)
    if (InList(entry.Languages, language)) return entry.Pair;
  // English outside the US takes the Western European OEM page, as Windows
  // does; US English, C, POSIX and every other language the US pair.
  if (language == "en" && localeName.compare(0, 5, "en_US") != 0 && localeName.size() > 2 &&
      localeName[2] == '_')
    return {850, 1252};
  return {437, 1252};
}

std::string CurrentLocaleName() {
  const char *chosen = std::setlocale(LC_CTYPE, nullptr);
  if (chosen && std::strcmp(chosen, "C") != 0 && std::strcmp(chosen, "POSIX") != 0) return chosen;
  for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char *value = std::getenv(variable);
    if (value && *value) return value;
  }
  return "C";
}

TLocaleCodePages::TLocaleCodePages(const std::string &localeName)
    : FPair(CodePagePairForLocale(localeName)) {
  FillTable(FOemToAnsi, FPair.OEM, FPair.ANSI);
  FillTable(FAnsiToOem, FPair.ANSI, FPair.OEM);
}

std::string TLocaleCodePages::Translate(const std::string &text,
                                        const unsigned char (&table)[256]) {
  std::string result(text);
  for (char &c : result)
    c = static_cast<char>(table[static_cast<unsigned char>(c)]);
  return result;
}

ICodePages &PlatformCodePages() {
  static TLocaleCodePages codePages(CurrentLocaleName());
  return codePages;
}
