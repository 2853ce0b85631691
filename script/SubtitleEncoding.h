// The encodings of subtitle files: a byte-order mark wins; text without one is
// UTF-8 when it reads as UTF-8, else in a legacy code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/UntCaptel.h"

enum class TByteOrderMark { None, Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

// The text after a byte-order mark as UTF-8: UTF-16 decoded, UTF-8 with
// any bad bytes replaced (`Replaced` counts them). Without a mark, Text is
// left empty and the bytes are for DecodeUnmarkedText.
struct TMarkedText {
  TByteOrderMark Mark = TByteOrderMark::None;
  // The encoding the mark names, as messages say it ("UTF-16"); empty for none.
  const char *Encoding = "";
  std::string Text;
  size_t Replaced = 0;
};
TMarkedText ReadByteOrderMark(std::string_view bytes);

// The UTF-8 text of bytes without a byte-order mark: false when they are
// valid UTF-8 already (`text` is then left alone); else decoded into `text`
// from the code page `codePage` when given and known, else as UTF-8 with its
// bad bytes replaced when it is mostly UTF-8, else from the code page a
// detector guesses, else from the system's ANSI code page. A short text is
// read in the ANSI code page before any guess when that page is not the
// Western 1252: a detector cannot place a few letters. What it does
// about bad input is said through `log`.
bool DecodeUnmarkedText(std::string_view bytes, const std::string &codePage, uint32_t ansiCodePage,
                        const TLogProc &log, std::string &text);
