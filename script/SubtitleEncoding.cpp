// Byte-order marks, and the choice of encoding for text without one.
#include "script/SubtitleEncoding.h"

#include <algorithm>

#include "base/Ascii.h"
#include "base/Utf8.h"
#include "platform/Charsets.h"

namespace {

void Say(const TLogProc &log, const std::string &message) {
  if (log) log(message);
}

// Bytes 0x80 to 0x9F are control characters in the ISO-8859 code pages and
// never occur in real text, but are letters and punctuation in the Windows
// code pages that extend them. A guess of ISO-8859-n for text that has them
// is therefore the Windows code page, as web browsers take it.
std::string WindowsCodePageFor(const std::string &guess, std::string_view bytes) {
  const bool hasC1 = std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 && byte <= 0x9F;
  });
  if (!hasC1) return guess;
  switch (CodePageNumber(guess)) {
  case 28591:
  case 28605: return "1252";
  case 28592: return "1250";
  case 28597: return "1253";
  case 28599: return "1254";
  case 28603: return "1257";
  default: return guess;
  }
}

// Bytes from 0x80 up: the letters of a legacy code page beyond ASCII.
size_t CountHighBytes(std::string_view bytes) {
  return static_cast<size_t>(std::count_if(
      bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
}

// Fewer letters beyond ASCII than this are too few for the detector: it
// guesses almost at random (six Cyrillic letters in 1251 come out as
// ISO-8859-6, two as WINDOWS-1252).
constexpr size_t ShortTextHighBytes = 64;

// The Western code page, which the detector is needed to see past.
constexpr uint32_t WesternCodePage = 1252;

} // namespace

TMarkedText ReadByteOrderMark(std::string_view bytes) {
  TMarkedText marked;
  // UTF-32's little-endian mark begins as UTF-16's does: it is looked for
  // first.
  if (StartsWith(bytes, std::string_view("\xFF\xFE\x00\x00", 4))) {
    marked.Mark = TByteOrderMark::Utf32LE;
    marked.Encoding = "UTF-32";
    marked.Text = Utf32ToUtf8(bytes.substr(4), false, marked.Replaced);
  } else if (StartsWith(bytes, std::string_view("\x00\x00\xFE\xFF", 4))) {
    marked.Mark = TByteOrderMark::Utf32BE;
    marked.Encoding = "UTF-32";
    marked.Text = Utf32ToUtf8(bytes.substr(4), true, marked.Replaced);
  } else if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    marked.Mark = TByteOrderMark::Utf8;
    marked.Encoding = "UTF-8";
    marked.Text = RepairUtf8(bytes.substr(3), marked.Replaced);
  } else if (StartsWith(bytes, "\xFF\xFE")) {
    marked.Mark = TByteOrderMark::Utf16LE;
    marked.Encoding = "UTF-16";
    marked.Text = Utf16ToUtf8(bytes.substr(2), false, marked.Replaced);
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    marked.Mark = TByteOrderMark::Utf16BE;
    marked.Encoding = "UTF-16";
    marked.Text = Utf16ToUtf8(bytes.substr(2), true, marked.Replaced);
  }
  return marked;
}

bool DecodeUnmarkedText(std::string_view bytes, const std::string &codePage, uint32_t ansiCodePage,
                        const TLogProc &log, std::string &text) {
  const TUtf8Census census = CountUtf8(bytes);
  if (census.Invalid == 0) return false;

  if (!codePage.empty()) {
    if (DecodeCodePage(bytes, codePage, text)) return true;
    Say(log, "Unknown code page: " + codePage);
  }
  // A few stray bytes in text that is otherwise UTF-8 are damage, not a
  // different code page: decoding it all as one would garble every letter.
  if (census.Multibyte > census.Invalid) {
    size_t replaced = 0;
    text = RepairUtf8(bytes, replaced);
    Say(log, "Invalid UTF-8 replaced: " + std::to_string(replaced));
    return true;
  }
  // Where the system's code page is of a language with letters of its own
  // (Cyrillic, Greek, Central European...), a short text is in it far more
  // often than the detector's guess is right.
  if (ansiCodePage != WesternCodePage && CountHighBytes(bytes) < ShortTextHighBytes &&
      DecodeCodePage(bytes, std::to_string(ansiCodePage), text))
    return true;
  const std::string guess = WindowsCodePageFor(GuessCharset(bytes), bytes);
  if (!guess.empty() && DecodeCodePage(bytes, guess, text)) return true;
  if (DecodeCodePage(bytes, std::to_string(ansiCodePage), text)) return true;
  // No converter at all: keep what reads as UTF-8 and mark the rest.
  size_t replaced = 0;
  text = RepairUtf8(bytes, replaced);
  return true;
}
