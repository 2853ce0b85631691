// The markup helpers the formats share, and the finishing of cue lines.
#include "script/CueMarkup.h"

#include <cctype>

#include "base/Ascii.h"
#include "base/TextStyle.h"
#include "base/Utf8.h"
#include "script/ScriptText.h"
#include "script/TextLines.h"

void AppendTextByte(std::string &out, char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (c == '\t')
    out += ' ';
  else if (byte >= 0x20 && byte != 0x7F)
    out += c;
}

size_t ClosingIndex(std::string_view text, size_t open, char closing) {
  const char stops[] = {closing, text[open], '\0'};
  const size_t end = text.find_first_of(stops, open + 1);
  return end != std::string_view::npos && text[end] == closing ? end : std::string_view::npos;
}

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

void ApplyOverrides(std::string_view block, std::string &out, uint32_t &drawing) {
  size_t pos = block.find('\\');
  while (pos != std::string_view::npos) {
    const size_t next = block.find('\\', pos + 1);
    std::string_view tag =
        block.substr(pos + 1, next == std::string_view::npos ? next : next - pos - 1);
    size_t nameLength = 0;
    while (nameLength < tag.size() && IsLetter(tag[nameLength]))
      ++nameLength;
    const std::string_view name = tag.substr(0, nameLength);
    std::string_view digits = tag.substr(nameLength);
    while (!digits.empty() && !IsDigit(digits.back()))
      digits.remove_suffix(1);
    uint32_t value = 0;
    const bool hasValue = ReadDigits(digits, value);
    if (name == "i") {
      out += hasValue && value == 1 ? TextStyle::ItalicOn : TextStyle::ItalicOff;
    } else if (name == "b") {
      // \b1 or a weight of 600 and more is bold; \b0, \b400 or a bare \b not.
      const bool bold = hasValue && (value == 1 || value >= 600);
      out += bold ? TextStyle::BoldOn : TextStyle::BoldOff;
    } else if (!name.empty() && name[0] == 'r') {
      out += TextStyle::ItalicOff;
      out += TextStyle::BoldOff;
    } else if (name == "p") {
      drawing = hasValue ? value : 0;
    }
    pos = next;
  }
}

namespace {

// Writes `marker` when the style shown differs from the one wanted and the
// wanted one is `to`.
void SwitchStyle(std::string &out, bool &shown, bool wanted, bool to, char marker) {
  if (shown != wanted && wanted == to) {
    out += marker;
    shown = wanted;
  }
}

// Before a character is shown: styles end before the blanks in front of it
// and begin after them, so no marker wraps a blank alone.
void ShowRun(std::string &out, bool italic, bool bold, bool &shownItalic, bool &shownBold,
             size_t &pendingSpaces) {
  SwitchStyle(out, shownItalic, italic, false, TextStyle::ItalicOff);
  SwitchStyle(out, shownBold, bold, false, TextStyle::BoldOff);
  out.append(pendingSpaces, ' ');
  pendingSpaces = 0;
  SwitchStyle(out, shownItalic, italic, true, TextStyle::ItalicOn);
  SwitchStyle(out, shownBold, bold, true, TextStyle::BoldOn);
}

// U+0080 to U+009F, in UTF-8 0xC2 and a byte from 0x80 to 0x9F.
bool IsC1Control(std::string_view text, size_t i) {
  return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
         static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(text[i + 1]) < 0xA0;
}

// True when a line needs no finishing: no control bytes or markers, no
// blanks at either end, not empty.
bool IsFinished(std::string_view text) {
  if (text.empty() || text.front() == ' ' || text.back() == ' ') return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F || IsC1Control(text, i)) return false;
  }
  return true;
}

std::string CleanSpeaker(std::string_view speaker) {
  std::string clean;
  for (char c : speaker)
    AppendTextByte(clean, TextStyle::IsMarker(c) ? ' ' : c);
  return std::string(Trim(clean));
}

} // namespace

void FinishCueLines(std::vector<TCueLine> &lines, size_t first) {
  size_t kept = first;
  bool italic = false, bold = false; // wanted, carried from line to line
  for (size_t index = first; index < lines.size(); ++index) {
    TCueLine &raw = lines[index];
    if (!raw.Speaker.empty()) raw.Speaker = CleanSpeaker(raw.Speaker);
    // Most lines are plain text already: kept as they are.
    if (!italic && !bold && IsFinished(raw.Text)) {
      if (kept != index) lines[kept] = std::move(raw);
      ++kept;
      continue;
    }
    std::string out;
    out.reserve(raw.Text.size() + 4);
    bool shownItalic = false, shownBold = false;
    size_t pendingSpaces = 0;
    const std::string &text = raw.Text;
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      const auto byte = static_cast<unsigned char>(c);
      if (c == TextStyle::ItalicOn || c == TextStyle::ItalicOff) {
        italic = c == TextStyle::ItalicOn;
      } else if (c == TextStyle::BoldOn || c == TextStyle::BoldOff) {
        bold = c == TextStyle::BoldOn;
      } else if (c == ' ' || c == '\t') {
        pendingSpaces += !out.empty();
      } else if (byte < 0x20 || byte == 0x7F || IsC1Control(text, i)) {
        i += byte >= 0x80; // control characters are dropped
      } else {
        // A run up to the next blank or control byte: styles and blanks are
        // settled once for all of it.
        size_t end = i + 1;
        while (end < text.size() && static_cast<unsigned char>(text[end]) > 0x20 &&
               text[end] != 0x7F && !IsC1Control(text, end))
          ++end;
        ShowRun(out, italic, bold, shownItalic, shownBold, pendingSpaces);
        out.append(text, i, end - i);
        i = end - 1;
      }
    }
    if (out.empty()) continue;
    if (shownBold) out += TextStyle::BoldOff;
    if (shownItalic) out += TextStyle::ItalicOff;
    raw.Text = std::move(out);
    if (kept != index) lines[kept] = std::move(raw);
    ++kept;
  }
  lines.resize(kept);
}

void TCueList::EndCue(uint32_t start, uint32_t end, size_t firstLine) {
  FinishCueLines(Lines, firstLine);
  if (Lines.size() > firstLine)
    Cues.push_back({start, end, static_cast<uint32_t>(firstLine),
                    static_cast<uint32_t>(Lines.size() - firstLine)});
}
