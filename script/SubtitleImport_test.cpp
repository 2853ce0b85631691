// The subtitle importer: each format's cues, markup and speakers into the one
// table, broken timings, detection that never takes a native script, the
// encodings, the table's limit, and cues falling due at video frame rates.
#include <gtest/gtest.h>

#include <cmath>

#include "base/TextStyle.h"
#include "fake/RecordingControl.h"
#include "player/UntIFAMovie.h"
#include "script/ScriptTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

// The loaded table as "start|text", with the style markers written [i] [/i]
// [b] [/b] so the expectations stay readable.
Lines Table(const TCaptel &s) {
  Lines rows;
  for (uint16_t i = s.Texts[0].Next; i != 0 && i != s.Count; i = s.Texts[i].Next) {
    std::string text;
    for (char c : s.Texts[i].Text) {
      switch (c) {
      case TextStyle::ItalicOn: text += "[i]"; break;
      case TextStyle::ItalicOff: text += "[/i]"; break;
      case TextStyle::BoldOn: text += "[b]"; break;
      case TextStyle::BoldOff: text += "[/b]"; break;
      default: text += c;
      }
    }
    rows.push_back(std::to_string(s.Texts[i].Frame) + "|" + text);
  }
  return rows;
}

struct TCase {
  const char *Name;
  std::string Bytes;
  Lines Expected;
  Lines Log = {};
};

void ExpectCases(const std::vector<TCase> &cases) {
  for (const TCase &c : cases) {
    TScriptFixture f;
    TCaptel &s = f.LoadBytes(c.Bytes);
    EXPECT_TRUE(s.UnicodeText) << c.Name;
    EXPECT_EQ(Table(s), c.Expected) << c.Name;
    EXPECT_EQ(f.Log, c.Log) << c.Name;
  }
}

TEST(SubRipImport, CuesMarkupAndBrokenTimings) {
  ExpectCases({
      {"two cues, one of two lines, CR LF",
       "1\r\n00:00:01,000 --> 00:00:02,500\r\nHello there\r\nGeneral Kenobi\r\n\r\n"
       "2\r\n00:01:02,345 --> 00:01:03,000\r\nBye\r\n",
       {"1000|Hello there", "1000|General Kenobi", "62345|Bye"}},
      {"tags, ASS overrides and blanks; a <3 is text",
       "1\n00:00:01,000 --> 00:00:02,000 X1:10 X2:20\n{\\an8}<i>Tilted</i> <b>bold</b> "
       "<font color=\"#fff\"><u>plain</u></font>  \n\t<3 you\n",
       {"1000|[i]Tilted[/i] [b]bold[/b] plain", "1000|<3 you"}},
      {"italic over two lines is closed and opened per line",
       "1\n00:00:01,000 --> 00:00:02,000\n<i>one\ntwo</i> three\n",
       {"1000|[i]one[/i]", "1000|[i]two[/i] three"}},
      {"first cue without its number, blank lines missing, CR only",
       "00:00:01,000 --> 00:00:02,000\rA\r2\r00:00:03,000 --> 00:00:04,000\rB\r",
       {"1000|A", "3000|B"}},
      {"out of order sorted, equal starts in file order, overlaps kept",
       "1\n00:00:05,000 --> 00:00:06,000\nlate\n\n2\n00:00:01,000 --> 00:00:09,000\nfirst\n\n"
       "3\n00:00:01,000 --> 00:00:02,000\nsecond\n\n4\n00:00:00,000 --> 00:00:00,000\nzero\n",
       {"0|zero", "1000|first", "1000|second", "5000|late"}},
      {"broken, negative and too long timings skipped; reversed kept",
       "1\n00:00:01,000 --> 00:00:02,000\nok\n\n2\n00:00:0x,000 --> 00:00:02,000\nbad\n\n"
       "3\n-00:00:01,000 --> 00:00:02,000\nnegative\n\n4\n100:00:00,000 --> 100:00:01,000\n"
       "hours\n\n5\n99:59:59,999 --> 00:00:01,000\nreversed\n",
       {"1000|ok", "359999999|reversed"},
       {"Bad timing in line 6", "Bad timing in line 10", "Bad timing in line 14"}},
      {"control bytes dropped, a TAB is no speaker mark",
       "1\n00:00:01,000 --> 00:00:02,000\nA\x01\x0E:\tB\x7F\n",
       {"1000|A: B"}},
      {"a blank line not followed by a timing line goes on with the cue; a last number alone "
       "is a cue number",
       "1\n00:00:01,000 --> 00:00:02,000\n你好\n\n\nHello\n\n00:00:03,000 --> 00:00:04,000\n"
       "No number\n\n3\n00:00:05,000 --> 00:00:06,000\nCount\n\n42\nis it\n\n7\n",
       {"1000|你好", "1000|Hello", "3000|No number", "5000|Count", "5000|42", "5000|is it"}},
      {"line breaks, hard spaces and MicroDVD codes of other formats",
       "1\n00:00:01,000 --> 00:00:02,000\n{Y:i}{c:$0000ff}One\\NTwo\\nThree\\hfour "
       "{f:Arial}{s:12}end \\x {a:b} {y:\n",
       {"1000|One", "1000|Two",
        "1000|Three\xC2\xA0"
        "four end \\x {a:b} {y:"}},
  });
}

TEST(WebVttImport, BlocksVoicesAndEntities) {
  ExpectCases({
      {"header, comment, style and region blocks, identifiers and settings",
       "WEBVTT - a film\nKind: captions\n\nNOTE a comment\n00:00:00.000 is no cue\n\n"
       "STYLE\n::cue { color: red }\n\nREGION\nid:r1\n\nintro\n00:01.000 --> 00:02.000 "
       "align:start line:0\nHi\n\n01:00:00.500 --> 01:00:01.000\nLater\n",
       {"1000|Hi", "3600500|Later"}},
      {"voices fill the speaker column once per speaker",
       "WEBVTT\n\n00:01.000 --> 00:02.000\n<v Anna>Where were you?\nI waited.\n<v.loud Bob>At "
       "home</v>\n",
       {"1000|Anna:\tWhere were you?", "1000|I waited.", "1000|Bob:\tAt home"}},
      {"classes, ruby readings, timestamps and entities",
       "WEBVTT\n\n00:01.000 --> 00:02.000\n<c.yellow>Fish</c> &amp; <ruby>漢<rt>かん</rt></ruby> "
       "<00:01.500>&lt;chips&gt;&nbsp;&#233;&bogus;\n",
       {"1000|Fish & 漢 <chips>\xC2\xA0\xC3\xA9&bogus;"}},
      {"a voice opened after the first word is no speaker",
       "WEBVTT\n\n00:01.000 --> 00:02.000\nHello <v Bob>there</v> friend\n",
       {"1000|Hello there friend"}},
      {"a tag never closed hides the rest of its line",
       "WEBVTT\n\n00:01.000 --> 00:02.000\na <\nb <<\nc <c.\nd </\ne <00:00.500\nf <3 you\n"
       "<<b>g</b> \\N\n",
       {"1000|a", "1000|b", "1000|c", "1000|d", "1000|e", "1000|f", "1000|g \\N"}},
      {"a timing on the header's own line is part of the header, not a bad cue",
       "WEBVTT 00:00:01.000 --> 00:00:02.000\n\n00:00:03.000 --> 00:00:04.000\nHello\n",
       {"3000|Hello"}},
  });
}

// HTML's named references, the old ones without ";" among them, and the
// numeric ones; whatever reads as none stays text.
TEST(WebVttImport, CharacterReferences) {
  const auto cue = [](const std::string &text) {
    return "WEBVTT\n\n00:01.000 --> 00:02.000\n" + text + "\n";
  };
  ExpectCases({
      {"names of one character", cue("&copy; &eacute; &lt;b&gt;"), {"1000|\xC2\xA9 \xC3\xA9 <b>"}},
      {"a name of two code points", cue("&NotEqualTilde;"), {"1000|\xE2\x89\x82\xCC\xB8"}},
      {"the longest names",
       cue("&ClockwiseContourIntegral;&CounterClockwiseContourIntegral;"),
       {"1000|\xE2\x88\xB2\xE2\x88\xB3"}},
      {"old names without \";\"", cue("&amp &not &eacute."), {"1000|& \xC2\xAC \xC3\xA9."}},
      {"an old name before other letters; the longer name wins",
       cue("&notit; &notin; &copyright &ampx"),
       {"1000|\xC2\xACit; \xE2\x88\x89 \xC2\xA9right &x"}},
      {"names only as the table spells them (it holds AMP, not Amp)",
       cue("&AMP; &Amp; &aMp; &Eacute &EAcute;"),
       {"1000|& &Amp; &aMp; \xC3\x89 &EAcute;"}},
      {"unknown names, too long a name and lone ampersands stay text",
       cue("&bogus; &xyz & &; a&" + std::string(40, 'q') + ";"),
       {"1000|&bogus; &xyz & &; a&" + std::string(40, 'q') + ";"}},
      {"a line of ampersands", cue("&&&amp;&&&"), {"1000|&&&&&&"}},
      {"tab and line break names are spaces", cue("a&Tab;b&NewLine;c"), {"1000|a b c"}},
      {"numbers",
       cue("&#233;&#xE9;&#X1F600;&#160;"),
       {"1000|\xC3\xA9\xC3\xA9\xF0\x9F\x98\x80\xC2\xA0"}},
      {"controls, surrogates, beyond Unicode, 7 digits, no \";\" stay text",
       cue("&#9;&#x80;&#xD800;&#x110000;&#0000233;&#233 &#x;"),
       {"1000|&#9;&#x80;&#xD800;&#x110000;&#0000233;&#233 &#x;"}},
      {"references in a ruby's reading are not shown",
       cue("<ruby>\xE6\xBC\xA2<rt>&eacute;&amp&#233;</rt></ruby>&amp;"),
       {"1000|\xE6\xBC\xA2&"}},
      {"SubRip reads none",
       "1\n00:00:01,000 --> 00:00:02,000\n&amp; &copy\n",
       {"1000|&amp; &copy"}},
  });
}

TEST(SubStationImport, EventsInTheirFormatOrder) {
  const std::string info = "[Script Info]\nTitle: Night train\nScriptType: v4.00+\n\n"
                           "[V4+ Styles]\nFormat: Name, Fontname\nStyle: Default,Arial\n\n";
  ExpectCases({
      {"default order, names, comments, line breaks and overrides",
       info + "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
              "Effect, Text\n"
              "Dialogue: 0,0:00:02.50,0:00:04.00,Default,Anna,0,0,0,,{\\i1}Where{\\i0}, "
              "then?\\NNo\\hway\\nat all\n"
              "Comment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,hidden\n"
              "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\b1}Loud{\\r} "
              "{\\p1}m 0 0 l 10 10{\\p0}quiet {a comment}\n",
       {"1000|[b]Loud[/b] quiet", "2500|Anna:\t[i]Where[/i], then?", "2500|No\xC2\xA0way at all"}},
      {"Format line decides the order; SSA, wrap style 2, other sections",
       "[Script Info]\nWrapStyle: 2\n[Events]\nFormat: Marked, Name, Start, Text\n"
       "Dialogue: Marked=0,Bob,0:00:03.00,Hello\\nthere, you\n[Fonts]\nDialogue: "
       "0,0:00:01.00,x\n",
       {"3000|Bob:\tHello", "3000|there, you"}},
      {"an Actor field is the speaker, as Name is",
       "[Script Info]\n[Events]\nFormat: Layer, Start, End, Style, Actor, Text\n"
       "Dialogue: 0,0:00:01.00,0:00:02.00,Default,Carl,Over here\n",
       {"1000|Carl:\tOver here"}},
      {"an unreadable start or missing fields skip the line",
       info + "[Events]\nDialogue: 0,0:0x:01.00,0:00:02.00,Default,,0,0,0,,bad\n"
              "Dialogue: 0,0:00:01.00\nDialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,ok\n",
       {"5000|ok"},
       {"Bad timing in line 10", "Bad timing in line 11"}},
  });
  TScriptFixture f;
  EXPECT_EQ(f.LoadBytes(info + "[Events]\n").Title, "Night train");
  TScriptFixture g;
  EXPECT_EQ(g.LoadBytes("[Script Info]\nTitle: \x1B]2;x\x07"
                        "Bell\n")
                .Title,
            "]2;xBell");
}

TEST(MicroDvdImport, FramesRateAndControlCodes) {
  ExpectCases({
      {"frame rate line, frames kept, line breaks and codes",
       "{1}{1}23.976\n{100}{150}{y:i}Hello|{c:$0000FF}World\n{50}{}{Y:b}/Both|lines\n",
       {"50|[i][b]Both[/b][/i]", "50|[b]lines[/b]", "100|[i]Hello[/i]", "100|World"}},
      {"bad lines named",
       "{1}{10}ok\n{x}{5}bad\nno braces\n{2}{3}fine\n",
       {"1|ok", "2|fine"},
       {"Bad timing in line 2", "Bad timing in line 3"}},
      {"a first cue before the film's start is a bad timing, the file is still MicroDVD",
       "{-164}{-68}Before\n{10}{20}After\n",
       {"10|After"},
       {"Bad timing in line 1"}},
  });
  TScriptFixture f;
  TCaptel &rated = f.LoadBytes("{1}{1}29.97\n{10}{20}x\n");
  EXPECT_DOUBLE_EQ(rated.FrameRate, 29.97);
  EXPECT_TRUE(rated.FrameRateGiven);
  EXPECT_FALSE(rated.TimesInMilliseconds);
  // Without a rate line, or with a first cue that is no rate, the video's
  // own rate counts.
  for (const char *bytes : {"{1}{2}x\n", "{1}{1}1.2.3\n{10}{20}x\n", "{1}{1}1984\n"}) {
    TScriptFixture g;
    TCaptel &unrated = g.LoadBytes(bytes);
    EXPECT_DOUBLE_EQ(unrated.FrameRate, 25.0) << bytes;
    EXPECT_FALSE(unrated.FrameRateGiven) << bytes;
  }
  // A table in milliseconds keeps its rate when a player is followed.
  TScriptFixture h;
  EXPECT_TRUE(h.LoadBytes("1\n00:00:01,000 --> 00:00:02,000\nx\n").FrameRateGiven);
}

// Native scripts go to the script loader untouched, whatever they hold; each
// format is recognised from its first lines alone.
TEST(SubtitleDetection, NativeScriptsAreNeverImported) {
  const std::vector<std::string> native = {
      "",
      "\xEF\xBB\xBF",
      "\xEF\xBB\xBF{HEAD\r\nTITLE=x\r\n}\r\n{T;25\r\nHello\r\n}\r\n",
      "WEBVTT notes\r\n{T;25\r\nHello\r\n}\r\n",
      "1\r\n00:00:01,000 --> 00:00:02,000\r\n{t; 400\r\n}\r\n",
      "[Script Info]\r\n{HEAD\r\n}\r\n",
      "{1}{2}x\r\n{T;3\r\ny\r\n}\r\n",
      "notes --> more notes\r\n{T;3\r\ny\r\n}\r\n",
      "[Events]\r\nnot a dialogue\r\n",
      "WEBVTTX\n\n00:01.000 --> 00:02.000\nx\n",
      "1\r00:00:01,000 --> 00:00:02,000\r{\\i1}x {T;3\r\t{HEAD\r}\r",
  };
  for (const std::string &bytes : native) {
    TScriptFixture f;
    TCaptel &s = f.LoadBytes(bytes);
    EXPECT_FALSE(s.UnicodeText) << bytes;
    EXPECT_FALSE(s.TimesInMilliseconds) << bytes;
    EXPECT_DOUBLE_EQ(s.FrameRate, 25.0) << bytes;
  }
  // A native script with a T block still loads as one, byte for byte.
  TScriptFixture f;
  EXPECT_EQ(Table(f.LoadBytes(native[3])), (Lines{"25|Hello"}));

  const std::vector<std::string> imported = {"WEBVTT",
                                             "\n\n 7 \n00:00:01,000 --> 00:00:02,000\nx\n",
                                             "00:01.000 --> 00:02.000\nx\n",
                                             "; made by hand\n[Script Info]\n",
                                             "[V4+ Styles]\n[Events]\nDialogue: 0,0:00:01.00,x\n",
                                             "{1}{}x\n",
                                             "1\n00:00:01,000 --> 00:00:02,000\n{\\i1}x {T;3\n"};
  for (const std::string &bytes : imported) {
    TScriptFixture g;
    EXPECT_TRUE(g.LoadBytes(bytes).UnicodeText) << bytes;
  }
}

TEST(SubtitleEncodings, MarksUtf8AndLegacyCodePages) {
  const std::string cue = "1\n00:00:01,000 --> 00:00:02,000\n";
  const std::string utf16le = std::string("\xFF\xFE", 2) + std::string("1\0\n\0", 4) +
                              std::string("0\0:\0"
                                          "0\0"
                                          "1\0.\0"
                                          "0\0"
                                          "0\0"
                                          "0\0",
                                          16) +
                              std::string(" \0-\0-\0>\0 \0", 10) +
                              std::string("0\0:\0"
                                          "0\0"
                                          "2\0.\0"
                                          "0\0"
                                          "0\0"
                                          "0\0\n\0",
                                          18) +
                              std::string("\x61\x01\x3D\xD8\x00\xDE", 6);
  std::string utf16be;
  for (size_t i = 2; i + 1 < utf16le.size(); i += 2)
    utf16be += std::string{utf16le[i + 1], utf16le[i]};
  // The same cue in UTF-32 with its mark, in either byte order.
  const auto utf32 = [](bool bigEndian) {
    std::string bytes;
    for (char32_t c : std::u32string(U"\uFEFF1\n00:00:01,000 --> 00:00:02,000\n\u0161\U0001F600\n"))
      for (int k = 0; k < 4; ++k)
        bytes += static_cast<char>((c >> (bigEndian ? 24 - 8 * k : 8 * k)) & 0xFF);
    return bytes;
  };
  ExpectCases({
      {"UTF-32LE, whose mark begins as UTF-16LE's", utf32(false), {"1000|š😀"}},
      {"UTF-32BE", utf32(true), {"1000|š😀"}},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + cue + "\xC5\xA1\xC3\xA1\n", {"1000|šá"}},
      {"UTF-16LE with a pair", utf16le, {"1000|š😀"}},
      {"UTF-16BE", "\xFE\xFF" + utf16be, {"1000|š😀"}},
      {"odd UTF-16 byte", utf16le + "x", {"1000|š😀\xEF\xBF\xBD"}, {"Invalid UTF-16 replaced: 1"}},
      {"stray bytes in UTF-8",
       cue + "\xC5\xA1\xC5\xA1 \xFF \xC5\xA1\n",
       {"1000|šš \xEF\xBF\xBD š"},
       {"Invalid UTF-8 replaced: 1"}},
      {"NUL bytes", cue + std::string("a\0b\n", 4), {"1000|ab"}},
  });

  // Not UTF-8: the code page given, else a guess where the build makes one,
  // else the system's ANSI code page (1250 on this fake system).
  const std::string czech = cue + "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl.\n";
  for (const char *codePage : {"1250", "cp1250", "windows-1250", ""}) {
    TScriptFixture f;
    f.Script->SubtitleCodePage = codePage;
    EXPECT_EQ(Table(f.LoadBytes(czech)), (Lines{"1000|Příliš žluťoučký kůň úpěl."}))
        << "code page " << codePage;
  }
  // A few letters are read in the system's code page when it has letters of
  // its own; a code page given still wins.
  const struct {
    uint32_t Ansi;
    const char *Given;
    std::string Letters;
    const char *Text;
  } shortTexts[] = {
      {1251, "", "\xC6\xE6 \xC7\xE7 \xCA\xEA", "Жж Зз Кк"},
      {1253, "", "\xCD\xE1\xE9", "Ναι"},
      {1251, "1250", "\x9Elu\x9Dou\xE8k\xFD", "žluťoučký"},
  };
  for (const auto &c : shortTexts) {
    TScriptFixture f(866, c.Ansi);
    f.Script->SubtitleCodePage = c.Given;
    EXPECT_EQ(Table(f.LoadBytes(cue + c.Letters + "\n")), (Lines{std::string("1000|") + c.Text}))
        << c.Ansi << " " << c.Given;
  }
  TScriptFixture latin2;
  latin2.Script->SubtitleCodePage = "iso-8859-2";
  EXPECT_EQ(Table(latin2.LoadBytes(cue + "\xB9\xE8\n")), (Lines{"1000|šč"}));
  TScriptFixture unknown;
  unknown.Script->SubtitleCodePage = "klingon";
  unknown.LoadBytes(czech);
  ASSERT_FALSE(unknown.Log.empty());
  EXPECT_EQ(unknown.Log[0], "Unknown code page: klingon");
}

TEST(SubtitleImportLimits, TableKeepsTheFirstCuesAndCountsTheRest) {
  std::string bytes;
  for (int i = 0; i < 100000; ++i)
    bytes += std::to_string(i + 1) + "\n00:00:" + (i % 2 ? "01" : "00") +
             ",000 --> 00:00:02,000\n" + std::to_string(i) + "\n\n";
  TScriptFixture f;
  TCaptel &s = f.LoadBytes(bytes);
  EXPECT_EQ(s.Count, TCaptel::MaxEntries + 1);
  EXPECT_EQ(f.Log, (Lines{"Too many subtitles: 90001 dropped"}));
  // Sorting kept the even cues, which start first, in file order.
  EXPECT_EQ(s.Texts[1].Text, "0");
  EXPECT_EQ(s.Texts[TCaptel::MaxEntries].Text, "19996");
}

// Lines of megabytes of unclosed markup load in linear time, in every
// format (a search from each "<" to the end would take hours).
TEST(SubtitleImportLimits, MegabyteLinesOfUnclosedMarkup) {
  // The "<" come last: a WebVTT tag never closed hides the rest of its line.
  const std::string filler = std::string(1 << 20, '{') + std::string(1 << 20, '&') + "{\\i1" +
                             std::string(1 << 20, '\\') + "{y:" + std::string(1 << 20, '<');
  const std::string headers[] = {
      "1\n00:00:01,000 --> 00:00:02,000\n", "WEBVTT\n\n00:01.000 --> 00:02.000\n",
      "[Script Info]\n[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,,,0,0,0,,", "{1}{2}"};
  for (const std::string &header : headers) {
    TScriptFixture f;
    TCaptel &s = f.LoadBytes(header + filler + "\n");
    ASSERT_EQ(s.Count, 2) << header;
    EXPECT_GT(s.Texts[1].Text.size(), 1u << 20) << header;
  }
}

// Cues fall due on the first video frame at or after their start, at the
// NTSC rates (24000, 30000 and 60000 frames per 1001 s), with positions as
// the players make them: the ActiveMovie player from the control's seconds
// (a frame time that is a whole millisecond comes out a hair below it in
// floating point), and the MCI control in whole milliseconds.
TEST(SubtitleImportTiming, CueDueOnTheFrameOfItsStart) {
  TRecordingControl control;
  TRegisteredControl registration{"AMovie.ActiveMovie Control", &control};
  control.SetProperty("DisplayMode", TVariant::Integer(0));
  for (int64_t perThousandSeconds : {24000, 30000, 60000}) {
    // Exact frame times: frame n shows at n * 1001000 / perThousandSeconds ms.
    const auto frameAtOrAfter = [&](int64_t ms) {
      return (ms * perThousandSeconds + 1001000 - 1) / 1001000;
    };
    for (bool activeMovie : {true, false}) {
      std::string bytes = "WEBVTT\n";
      size_t cues = 0;
      for (int64_t k = 1; k <= 400; ++k, ++cues) {
        // Starts on frame times (as subtitle editors snap them) and between.
        const int64_t start = k % 2 ? (k * 30 * 1001000 / perThousandSeconds) : k * 1237 % 600000;
        char line[64];
        std::snprintf(line, sizeof line, "\n%02d:%02d:%02d.%03d --> 99:00:00.000\n",
                      static_cast<int>(start / 3600000), static_cast<int>(start / 60000 % 60),
                      static_cast<int>(start / 1000 % 60), static_cast<int>(start % 1000));
        bytes += line + std::to_string(start) + "\n";
      }
      TScriptFixture f;
      TCaptel &s = f.LoadBytes(bytes);
      ASSERT_TRUE(s.TimesInMilliseconds);
      TVideoPlayerRef player{new TAMovie(s.FrameRate)};
      size_t shown = 0;
      for (int64_t n = 0; shown < cues && n < 100000; ++n) {
        control.SetProperty("CurrentPosition", TVariant::Double(n * 1001.0 / perThousandSeconds));
        s.AdvanceTo(activeMovie ? player->GetPosition()
                                : static_cast<double>(n * 1001000 / perThousandSeconds),
                    0);
        TText entry;
        while (s.NextDue(entry)) {
          ++shown;
          const int64_t due = frameAtOrAfter(std::stoll(entry.Text));
          EXPECT_EQ(n, due) << perThousandSeconds << "/1001 fps, cue " << entry.Text;
        }
      }
      EXPECT_EQ(shown, cues) << perThousandSeconds;
    }
  }
}

} // namespace

// A file that names no title is called by its base name; a SubStation title
// still wins, and a native script keeps the default.
TEST(SubtitleImportTitle, BaseNameOfTheFileUnlessItNamesATitle) {
  const std::string srt = "1\n00:00:01,000 --> 00:00:02,000\nHi\n";
  const struct {
    std::string Name, Bytes, Title;
  } cases[] = {
      {"film.srt", srt, "film"},
      {"/videos/Night train.en.srt", srt, "Night train.en"},
      {"C:\\subs\\film.vtt", "WEBVTT\n\n00:01.000 --> 00:02.000\nHi\n", "film"},
      {"subs/film", srt, "film"},
      {"subs/.srt", srt, ".srt"},
      {"film.sub", "{25}{50}Hi\n", "film"},
      {"untitled.ass",
       "[Script Info]\nScriptType: v4.00+\n[Events]\nFormat: Start, Text\nDialogue: "
       "0:00:01.00,Hi\n",
       "untitled"},
      {"titled.ass", "[Script Info]\nTitle: Night train\n[Events]\n", "Night train"},
      {"native.txt", "{T;10\r\nHi\r\n}\r\n", "Untitled video"},
  };
  for (const auto &c : cases) {
    TScriptFixture f;
    f.Files.Add(c.Name, c.Bytes);
    f.Script->LoadFromFile(c.Name);
    EXPECT_EQ(f.Script->Title, c.Title) << c.Name;
  }
  TScriptFixture track;
  ASSERT_TRUE(track.Script->ImportSubtitles(srt, "/videos/film.mkv"));
  EXPECT_EQ(track.Script->Title, "film") << "a video's own track is called by the video";
}
