// Code-page classification of CODEPAGE values and the conversion of handed-out
// texts, against both usual pairs of system code pages.
#include <gtest/gtest.h>

#include "script/ScriptTestSupport.h"

namespace {

struct TPair {
  uint32_t OEM;
  uint32_t ANSI;
};

class CodePageKinds : public ::testing::TestWithParam<TPair> {
protected:
  // CodePage and ScriptCodePageKind after loading "CODEPAGE=<value>".
  std::pair<int32_t, int32_t> Classify(const std::string &value) {
    TScriptFixture f(GetParam().OEM, GetParam().ANSI);
    TCaptel &s = f.Load({"{HEAD", "CODEPAGE=" + value, "}"});
    return {s.CodePage, s.ScriptCodePageKind};
  }
  int32_t OEM() const { return static_cast<int32_t>(GetParam().OEM); }
  int32_t ANSI() const { return static_cast<int32_t>(GetParam().ANSI); }
};

TEST_P(CodePageKinds, NumbersPickTheKindByValue) {
  for (int32_t oem : {850, 852, 437})
    EXPECT_EQ(Classify(std::to_string(oem)), std::pair(oem, 1));
  for (int32_t ansi : {1250, 1252, 1200})
    EXPECT_EQ(Classify(std::to_string(ansi)), std::pair(ansi, 2));
  EXPECT_EQ(Classify(std::to_string(OEM())), std::pair(OEM(), 1));
  EXPECT_EQ(Classify(std::to_string(ANSI())), std::pair(ANSI(), 2));
  EXPECT_EQ(Classify("866"), std::pair(866, 0));
  EXPECT_EQ(Classify(" 1251"), std::pair(1251, 0));
  EXPECT_EQ(Classify("$354"), std::pair(852, 1));
}

TEST_P(CodePageKinds, WordsNameTheSystemsCodePages) {
  EXPECT_EQ(Classify("ANSI"), std::pair(ANSI(), 2));
  EXPECT_EQ(Classify("ansi"), std::pair(ANSI(), 2));
  EXPECT_EQ(Classify("AnSi"), std::pair(ANSI(), 2));
  EXPECT_EQ(Classify("OEM"), std::pair(OEM(), 1));
  EXPECT_EQ(Classify(" ANSI"), std::pair(OEM(), 1));
  EXPECT_EQ(Classify("latin2"), std::pair(OEM(), 1));
  EXPECT_EQ(Classify(""), std::pair(OEM(), 1));
  EXPECT_EQ(Classify("1250 ansi"), std::pair(OEM(), 1));
}

INSTANTIATE_TEST_SUITE_P(SystemPairs, CodePageKinds,
                         ::testing::Values(TPair{852, 1250}, TPair{437, 1252}));

TEST(CodePageClassification, OemTestComesFirst) {
  // A system whose ANSI page is also on the OEM list still gets kind 1.
  TScriptFixture f(1250, 1250);
  f.Load({"{HEAD", "CODEPAGE=1250", "}"});
  EXPECT_EQ(f.Script->ScriptCodePageKind, 1);
}

TEST(CodePageClassification, WithoutDirectiveTheKindStaysZero) {
  TScriptFixture f;
  TCaptel &s = f.Load({"{T;1", "\xE1", "}"});
  EXPECT_EQ(s.CodePage, 1250);
  EXPECT_EQ(s.ScriptCodePageKind, 0);
  s.ConsoleCodePageKind = cpkOEM;
  s.AdvanceTo(1, 0);
  EXPECT_EQ(f.Drain(), std::vector<std::string>{"1:\xE1"});
}

// Hands out the one text of a script with the given CODEPAGE value on a
// console of the given kind.
class TextConversion : public ::testing::Test {
protected:
  std::string HandedOut(const std::string &codePage, int32_t consoleKind, const std::string &text) {
    F = std::make_unique<TScriptFixture>(852, 1250);
    F->Load({"{HEAD", "CODEPAGE=" + codePage, "}", "{T;1", text, "}"});
    F->Script->ConsoleCodePageKind = static_cast<TCodePageKind>(consoleKind);
    F->Script->AdvanceTo(1, 0);
    TText entry;
    EXPECT_TRUE(F->Script->NextDue(entry));
    return entry.Text;
  }
  std::unique_ptr<TScriptFixture> F;
};

std::string ToOem(std::string text) {
  for (char &c : text)
    c = TFakeCodePages::AnsiToOemByte(c);
  return text;
}

std::string ToAnsi(std::string text) {
  for (char &c : text)
    c = TFakeCodePages::OemToAnsiByte(c);
  return text;
}

TEST_F(TextConversion, AnsiScriptIsTranslatedForAnOemConsole) {
  const std::string text = "Dobr\xFD ve\xE8\xE9r";
  EXPECT_EQ(HandedOut("1250", 1, text), ToOem(text));
  EXPECT_EQ(HandedOut("ansi", 1, text), ToOem(text));
  EXPECT_EQ(HandedOut("1252", 1, text), ToOem(text));
  // The screenplay runs before the console is prepared: no translation.
  EXPECT_EQ(HandedOut("1250", 0, text), text);
}

TEST_F(TextConversion, OemAndUnknownScriptsPassUnchangedOnAnOemConsole) {
  const std::string text = "P\xA9\xD8\xA0li\xA7";
  EXPECT_EQ(HandedOut("852", 1, text), text);
  EXPECT_EQ(F->CodePages.CharToOemCalls + F->CodePages.OemToCharCalls, 0);
  EXPECT_EQ(HandedOut("866", 1, text), text);
}

TEST_F(TextConversion, OemScriptIsTranslatedForAnAnsiConsole) {
  const std::string text = "\x80\xFF\x81";
  EXPECT_EQ(HandedOut("OEM", 2, text), ToAnsi(text));
  EXPECT_EQ(HandedOut("1250", 2, text), text);
}

TEST_F(TextConversion, LongTextsAndNulBytesAreTranslatedWhole) {
  std::string text(300, '\xE8');
  text[100] = '\0';
  text += "end";
  const std::string out = HandedOut("1250", 1, text);
  EXPECT_EQ(out.size(), text.size());
  EXPECT_EQ(out, ToOem(text));
  EXPECT_EQ(HandedOut("852", 1, text), text);
}

} // namespace
