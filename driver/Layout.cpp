// Subtitle output: the speaker column and word wrapping of one entry, and the
// plain log line. Widths are display columns: one per byte of an 8-bit
// script, per grapheme cluster of imported UTF-8 text.
#include "driver/Driver.h"

#include <string_view>

#include "base/TextStyle.h"
#include "driver/TextUnits.h"

namespace {

constexpr int32_t SpeakerColumnWidth = 13;
constexpr int32_t DefaultLineWidth = 79;
const char SpeakerSeparator[] = ":\t";

// The line under construction: its bytes, its display width, and the styles
// its text has left on, which a continuation line takes up again (the output
// ends every line's styles).
struct TLine {
  std::string Bytes;
  size_t Width = 0;
  bool Italic = false;
  bool Bold = false;

  void AppendSpaces(size_t count) {
    Bytes.append(count, ' ');
    Width += count;
  }
  // The units from `first` up to `last`, two positions in one text.
  void Append(std::string_view text, TTextUnitReader first, const TTextUnitReader &last) {
    const uint32_t begin = first.Offset(), end = last.Offset();
    for (; first.Offset() < end; first.Advance()) {
      const TTextUnit &unit = first.Peek();
      const char c = text[unit.Begin];
      if (unit.Width == 0 && unit.End - unit.Begin == 1 && TextStyle::IsMarker(c)) {
        Italic = c == TextStyle::ItalicOn || (Italic && c != TextStyle::ItalicOff);
        Bold = c == TextStyle::BoldOn || (Bold && c != TextStyle::BoldOff);
      }
      Width += static_cast<size_t>(unit.Width);
    }
    Bytes.append(text.substr(begin, end - begin));
  }
  // A continuation line: the indentation, then the styles still on.
  void Restart(size_t column) {
    Bytes.assign(column, ' ');
    Width = column;
    if (Italic) Bytes += TextStyle::ItalicOn;
    if (Bold) Bytes += TextStyle::BoldOn;
  }
};

} // namespace

void TDriver::WriteSubtitle(const TText &entry) {
  const std::string &text = entry.Text;
  const bool unicode = Script && Script->UnicodeText;
  // The console preparation keeps the width positive; should a bad one slip
  // through, the layout uses the default rather than lose its footing.
  const size_t width =
      static_cast<size_t>(Settings.LineWidth > 0 ? Settings.LineWidth : DefaultLineWidth);
  const auto emit = [&](const TLine &line) {
    if (unicode)
      Services.Output.WriteTextLine(line.Bytes, !Settings.Screenplay);
    else
      Services.Output.WriteLine(line.Bytes);
  };

  TLine line;
  std::string_view rest = text;
  const size_t colon = text.find(SpeakerSeparator);
  if (colon != std::string::npos) {
    const std::string_view speaker(text.data(), colon + 1);
    const TTextUnitReader all(speaker, unicode);
    TTextUnitReader past = all;
    while (!past.AtEnd())
      past.Advance();
    line.Append(speaker, all, past);
    line.AppendSpaces(1);
    if (SpeakerColumn == 0) SpeakerColumn = SpeakerColumnWidth;
    rest.remove_prefix(colon + 2);
  }
  const size_t column = static_cast<size_t>(SpeakerColumn);
  if (line.Width < column) line.AppendSpaces(column - line.Width);

  const auto isSpace = [&](const TTextUnitReader &u) {
    const TTextUnit &unit = u.Peek();
    return unit.End - unit.Begin == 1 && rest[unit.Begin] == ' ';
  };
  // Each word is measured once: a long word split over many lines keeps its
  // end and takes off the width of each piece written, so the layout stays
  // linear in the text's length.
  TTextUnitReader i(rest, unicode); // the next word's first unit
  TTextUnitReader j = i;            // the unit after the word
  size_t k = 0;                     // the width from i to j
  bool measured = false;
  const auto skipWord = [&] {
    i = j;
    if (!i.AtEnd()) i.Advance();
    measured = false;
  };
  while (!i.AtEnd()) {
    if (!measured) {
      j = i;
      k = 0;
      for (; !j.AtEnd() && !isSpace(j); j.Advance())
        k += static_cast<size_t>(j.Peek().Width);
      measured = true;
    }
    if (line.Width + k <= width) {
      line.Append(rest, i, j);
      if (line.Width < width) line.AppendSpaces(1);
      skipWord();
    } else if (k + column <= width) {
      emit(line);
      line.Restart(column);
    } else {
      // Split: as much of the word as the line has room for, never cutting
      // a unit. A wide character may not fit the one column left.
      TTextUnitReader cut = i;
      size_t taken = 0;
      for (; cut.Offset() < j.Offset() && line.Width + taken + cut.Peek().Width <= width;
           cut.Advance())
        taken += static_cast<size_t>(cut.Peek().Width);
      if (cut.Offset() > i.Offset()) {
        line.Append(rest, i, cut);
        i = cut;
        k -= taken;
      } else if (line.Width > column) {
        // No room left to split into: the full line goes out and the word
        // carries on on a continuation line.
        emit(line);
        line.Restart(column);
      } else if (line.Width < width) {
        // Even a fresh line cannot hold the wide character: it stands alone
        // and the line runs one column past the width.
        TTextUnitReader next = i;
        next.Advance();
        k -= static_cast<size_t>(i.Peek().Width);
        line.Append(rest, i, next);
        i = next;
      } else {
        // Not even a fresh continuation line has room (the width is not above
        // the speaker column): the word stands whole on this line.
        line.Append(rest, i, j);
        skipWord();
      }
    }
  }
  emit(line);
}

void TDriver::WriteLogLine(const std::string &message, TLogText text) {
  if (text == ltSystem)
    Services.Output.WriteSystemLine(message);
  else
    Services.Output.WriteLine(message);
}
