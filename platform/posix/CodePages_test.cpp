// The POSIX code pages: the locale's language picks the OEM/ANSI pair, and
// texts translate byte for byte between them.
#include "platform/posix/LocaleCodePages.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "fake/FakeFiles.h"
#include "script/UntCaptel.h"

namespace {

void ExpectPair(const std::string &locale, uint32_t oem, uint32_t ansi) {
  TCodePagePair pair = CodePagePairForLocale(locale);
  EXPECT_EQ(pair.OEM, oem) << locale;
  EXPECT_EQ(pair.ANSI, ansi) << locale;
}

TEST(LocaleCodePages, PairFollowsTheLanguage) {
  ExpectPair("cs_CZ.UTF-8", 852, 1250);
  ExpectPair("pl_PL", 852, 1250);
  ExpectPair("sr_RS@latin", 852, 1250);
  ExpectPair("hu_HU.UTF-8", 852, 1250);
  ExpectPair("sk_SK", 852, 1250);
  ExpectPair("sl_SI", 852, 1250);
  ExpectPair("hr_HR.UTF-8", 852, 1250);
  ExpectPair("ru_RU.UTF-8", 866, 1251);
  ExpectPair("uk_UA.UTF-8", 866, 1251);
  ExpectPair("bg_BG", 866, 1251);
  ExpectPair("sr_RS", 866, 1251);
  ExpectPair("el_GR.UTF-8", 737, 1253);
  ExpectPair("tr_TR", 857, 1254);
  ExpectPair("he_IL", 862, 1255);
  ExpectPair("ar_EG.UTF-8", 720, 1256);
  ExpectPair("th_TH.UTF-8", 874, 874);
  ExpectPair("lt_LT", 775, 1257);
  ExpectPair("vi_VN", 1258, 1258);
  ExpectPair("de_DE.UTF-8", 850, 1252);
  ExpectPair("en_GB.UTF-8", 850, 1252);
  ExpectPair("en_US.UTF-8", 437, 1252);
  ExpectPair("C", 437, 1252);
  ExpectPair("C.UTF-8", 437, 1252);
  ExpectPair("POSIX", 437, 1252);
  ExpectPair("", 437, 1252);
  ExpectPair("ja_JP.UTF-8", 437, 1252);
}

TEST(LocaleCodePages, CentralEuropeanTranslation) {
  TLocaleCodePages pages("cs_CZ.UTF-8");
  // c with caron, s with caron, z with caron: 1250 E8 9A 9E, 852 9F E7 A7.
  EXPECT_EQ(pages.CharToOem("P\xE8\x9A\x9E"), "P\x9F\xE7\xA7");
  EXPECT_EQ(pages.OemToChar("P\x9F\xE7\xA7"), "P\xE8\x9A\x9E");
  // The euro sign has no place in 852: a "?" keeps the length.
  EXPECT_EQ(pages.CharToOem("5\x80"), "5?");
  std::string withNul("a\0\xE8", 3);
  EXPECT_EQ(pages.CharToOem(withNul), std::string("a\0\x9F", 3));
}

TEST(LocaleCodePages, UsTranslationKeepsLengthWhereIconvWouldWriteMore) {
  TLocaleCodePages pages("en_US.UTF-8");
  // e acute: 1252 E9, 437 82.
  EXPECT_EQ(pages.CharToOem("caf\xE9"), "caf\x82");
  EXPECT_EQ(pages.OemToChar("caf\x82"), "caf\xE9");
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    EXPECT_EQ(pages.CharToOem(one).size(), 1u);
    EXPECT_EQ(pages.OemToChar(one).size(), 1u);
  }
}

// CodePage and ScriptCodePageKind after loading "CODEPAGE=<value>" with the
// real pair of the given locale.
std::pair<int32_t, int32_t> Classify(const std::string &locale, const std::string &value) {
  TLocaleCodePages pages(locale);
  TFakeFiles files;
  files.Add("s", "{HEAD\r\nCODEPAGE=" + value + "\r\n}\r\n");
  auto script = std::make_unique<TCaptel>(nullptr, pages, files);
  script->LoadFromFile("s");
  return {script->CodePage, script->ScriptCodePageKind};
}

TEST(LocaleCodePages, ClassificationAgainstTheRealPairs) {
  EXPECT_EQ(Classify("cs_CZ.UTF-8", "ansi"), std::pair(1250, 2));
  EXPECT_EQ(Classify("cs_CZ.UTF-8", "OEM"), std::pair(852, 1));
  EXPECT_EQ(Classify("en_US.UTF-8", "ANSI"), std::pair(1252, 2));
  EXPECT_EQ(Classify("en_US.UTF-8", "oem"), std::pair(437, 1));
  // The system's own numbers count besides the fixed lists.
  EXPECT_EQ(Classify("ru_RU.UTF-8", "866"), std::pair(866, 1));
  EXPECT_EQ(Classify("ru_RU.UTF-8", "1251"), std::pair(1251, 2));
  EXPECT_EQ(Classify("cs_CZ.UTF-8", "866"), std::pair(866, 0));
}

// A short legacy file the detector cannot place is read in the code page of
// the locale's language: these few Cyrillic letters in 1251 are taken for
// Arabic or Western by the detector.
TEST(LocaleCodePages, ShortLegacySubtitlesAreReadInTheLocalesCodePage) {
  const std::string cue = "1\r\n00:00:01,000 --> 00:00:02,000\r\n";
  const struct {
    const char *Locale;
    std::string Bytes;
    const char *Text;
  } cases[] = {
      {"ru_RU.UTF-8", cue + "\xC6\xE6 \xC7\xE7 \xCA\xEA\r\n", "Жж Зз Кк"},
      {"ru_RU.UTF-8", cue + "\xC6\xE6\r\n", "Жж"},
      {"uk_UA.UTF-8", cue + "\xAF\xE6\xE0\xEA\r\n", "Їжак"},
      {"el_GR.UTF-8", cue + "\xCD\xE1\xE9\r\n", "Ναι"},
      {"he_IL.UTF-8", cue + "\xF9\xEC\xE5\xED\r\n", "שלום"},
  };
  for (const auto &c : cases) {
    TLocaleCodePages pages(c.Locale);
    TFakeFiles files;
    files.Add("short.srt", c.Bytes);
    TCaptel script(nullptr, pages, files);
    script.LoadFromFile("short.srt");
    ASSERT_EQ(script.Count, 2) << c.Locale;
    EXPECT_TRUE(script.UnicodeText);
    EXPECT_EQ(script.Texts[1].Text, c.Text) << c.Locale;
  }
}

TEST(LocaleCodePages, LocaleNameComesFromTheEnvironment) {
  const char *chosen = std::setlocale(LC_CTYPE, nullptr);
  if (chosen && std::strcmp(chosen, "C") != 0) GTEST_SKIP() << "the program chose a locale";
  const char *names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  std::string saved[3];
  bool had[3];
  for (int i = 0; i < 3; ++i) {
    const char *value = std::getenv(names[i]);
    had[i] = value != nullptr;
    if (value) saved[i] = value;
    unsetenv(names[i]);
  }
  std::string none = CurrentLocaleName();
  setenv("LANG", "de_DE.UTF-8", 1);
  std::string lang = CurrentLocaleName();
  setenv("LC_CTYPE", "ru_RU.UTF-8", 1);
  std::string ctype = CurrentLocaleName();
  setenv("LC_ALL", "cs_CZ.UTF-8", 1);
  std::string all = CurrentLocaleName();
  // An empty variable counts as unset; a set one wins even when it is "C".
  setenv("LC_ALL", "", 1);
  std::string emptyAll = CurrentLocaleName();
  setenv("LC_CTYPE", "C", 1);
  std::string plainCtype = CurrentLocaleName();
  for (int i = 0; i < 3; ++i)
    if (had[i])
      setenv(names[i], saved[i].c_str(), 1);
    else
      unsetenv(names[i]);

  EXPECT_EQ(none, "C");
  EXPECT_EQ(lang, "de_DE.UTF-8");
  EXPECT_EQ(ctype, "ru_RU.UTF-8");
  EXPECT_EQ(all, "cs_CZ.UTF-8");
  EXPECT_EQ(emptyAll, "ru_RU.UTF-8");
  EXPECT_EQ(plainCtype, "C");
}

} // namespace
