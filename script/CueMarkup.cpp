// Markup of cue texts into plain UTF-8 with style markers.
#include "script/CueMarkup.h"

#include <cctype>

#include "base/Ascii.h"
#include "base/TextStyle.h"
#include "base/Utf8.h"
#include "script/ScriptText.h"
#include "script/TextLines.h"

namespace {

constexpr std::string_view NoBreakSpace = "\xC2\xA0";

// Copies one byte of cue text. Control bytes are dropped here, so the only
// control bytes that reach the finished text are the markers markup makes;
// a TAB becomes a space, since ":" and a TAB would mark a speaker.
void AppendTextByte(std::string &out, char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (c == '\t')
    out += ' ';
  else if (byte >= 0x20 && byte != 0x7F)
    out += c;
}

// The index of the "}" that closes the block opening at `open`, or npos when
// another "{" or the end comes first (then the brace is an ordinary one).
// Stopping at the next "{" keeps a line of unclosed braces linear.
size_t ClosingIndex(std::string_view text, size_t open, char closing) {
  const char stops[] = {closing, text[open], '\0'};
  const size_t end = text.find_first_of(stops, open + 1);
  return end != std::string_view::npos && text[end] == closing ? end : std::string_view::npos;
}

// "&" and the longest entity name with its ";".
constexpr size_t MaxEntityLength = 12;

// Bytes that are text whatever surrounds them: copied in runs.
bool IsPlain(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte > 0x20 && byte != 0x7F && c != '<' && c != '{' && c != '&' && c != '\\' && c != '|' &&
         c != '/';
}

size_t PlainRunEnd(std::string_view text, size_t i) {
  while (i < text.size() && (IsPlain(text[i]) || text[i] == ' '))
    ++i;
  return i;
}

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// The override tags of one "{...}" block: \i and \b give markers, \r resets
// both, \p sets the drawing scale (text is a drawing while it is above 0).
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

// The character an entity of WebVTT names ("amp", "#233", "#xE9"), or 0.
uint32_t EntityCharacter(std::string_view name) {
  static const struct {
    const char *Name;
    uint32_t Character;
  } named[] = {{"amp", '&'},   {"lt", '<'},    {"gt", '>'},     {"quot", '"'},
               {"apos", '\''}, {"nbsp", 0xA0}, {"lrm", 0x200E}, {"rlm", 0x200F}};
  for (const auto &entity : named)
    if (name == entity.Name) return entity.Character;
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 6) return 0;
  uint32_t value = 0;
  for (char c : digits) {
    const int digit = hex ? HexDigit(c) : IsDigit(c) ? c - '0' : -1;
    if (digit < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
  }
  // Control characters would pass for style markers; surrogates are no
  // characters at all.
  if (value < 0x20 || (value >= 0x7F && value < 0xA0) || (value >= 0xD800 && value <= 0xDFFF) ||
      value > 0x10FFFF)
    return 0;
  return value;
}

bool HasWords(std::string_view text) {
  for (char c : text)
    if (c != ' ' && !TextStyle::IsMarker(c)) return true;
  return false;
}

// Reads the tag between "<" and ">"; false when it is no tag, so the "<" is
// ordinary text ("a <3").
bool ApplyTag(std::string_view tag, TTagState &state, std::string &out, std::string &speaker) {
  const bool closing = !tag.empty() && tag[0] == '/';
  if (closing) tag.remove_prefix(1);
  if (tag.empty()) return false;
  if (state.WebVtt && !closing && IsDigit(tag[0])) return true; // a timestamp
  if (!IsLetter(tag[0])) return false;
  const size_t nameEnd = tag.find_first_of(". \t");
  const std::string name = LowerCase(tag.substr(0, nameEnd));

  if (name == "i") {
    out += closing ? TextStyle::ItalicOff : TextStyle::ItalicOn;
  } else if (name == "b") {
    out += closing ? TextStyle::BoldOff : TextStyle::BoldOn;
  } else if (name == "rt") {
    state.RubyText += closing ? (state.RubyText > 0 ? -1 : 0) : 1;
  } else if (name == "ruby" && closing) {
    state.RubyText = 0;
  } else if (name == "v") {
    if (closing) {
      state.Voice.clear();
    } else {
      const size_t blank = tag.find_first_of(" \t");
      state.Voice = blank == std::string_view::npos ? "" : Trim(tag.substr(blank));
      // A voice opened before the line's first word is the line's speaker.
      if (speaker.empty() || !HasWords(out)) speaker = state.Voice;
    }
  }
  return true; // every other tag (u, c, font, lang, ruby...) is dropped
}

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

std::string ReadTaggedLine(std::string_view line, TTagState &state, std::string &speaker) {
  std::string out;
  speaker = state.Voice;
  uint32_t drawing = 0; // override blocks in SubRip never draw
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '<') {
      const size_t close = ClosingIndex(line, i, '>');
      if (close != std::string_view::npos &&
          ApplyTag(line.substr(i + 1, close - i - 1), state, out, speaker)) {
        i = close;
        continue;
      }
    } else if (c == '{' && i + 1 < line.size() && line[i + 1] == '\\') {
      const size_t close = ClosingIndex(line, i, '}');
      if (close != std::string_view::npos) {
        ApplyOverrides(line.substr(i + 1, close - i - 1), out, drawing);
        i = close;
        continue;
      }
    } else if (c == '&' && state.WebVtt) {
      // Entities are short: the search for their ";" is too, so a line of
      // "&" stays linear.
      const size_t semicolon = line.substr(i, MaxEntityLength).find(';');
      if (semicolon != std::string_view::npos) {
        if (uint32_t character = EntityCharacter(line.substr(i + 1, semicolon - 1))) {
          if (state.RubyText == 0) AppendUtf8(out, character);
          i += semicolon;
          continue;
        }
      }
    } else if (IsPlain(c)) {
      const size_t end = PlainRunEnd(line, i);
      if (state.RubyText == 0) out.append(line, i, end - i);
      i = end - 1;
      continue;
    }
    if (state.RubyText == 0) AppendTextByte(out, c);
  }
  return out;
}

std::vector<std::string> ReadOverrideText(std::string_view text, bool newlineBreaks) {
  std::vector<std::string> lines(1);
  uint32_t drawing = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{') {
      // Every brace block is hidden, override tags or a comment.
      const size_t close = ClosingIndex(text, i, '}');
      if (close != std::string_view::npos) {
        ApplyOverrides(text.substr(i + 1, close - i - 1), lines.back(), drawing);
        i = close;
        continue;
      }
    } else if (c == '\\' && i + 1 < text.size()) {
      const char code = text[i + 1];
      if (code == 'N' || code == 'n' || code == 'h') {
        ++i;
        if (drawing > 0) continue;
        if (code == 'N' || (code == 'n' && newlineBreaks))
          lines.emplace_back();
        else
          lines.back() += code == 'h' ? NoBreakSpace : " ";
        continue;
      }
    }
    if (drawing == 0) AppendTextByte(lines.back(), c);
  }
  return lines;
}

std::vector<std::string> ReadMicroDvdText(std::string_view text) {
  std::vector<std::string> lines;
  bool cueItalic = false, cueBold = false;
  size_t start = 0;
  for (;;) {
    const size_t bar = text.find('|', start);
    const std::string_view part =
        text.substr(start, bar == std::string_view::npos ? bar : bar - start);
    bool italic = false, bold = false;
    std::string body;
    for (size_t i = 0; i < part.size(); ++i) {
      if (part[i] == '{' && i + 2 < part.size() && IsLetter(part[i + 1]) && part[i + 2] == ':') {
        const size_t close = ClosingIndex(part, i, '}');
        if (close != std::string_view::npos) {
          if (part[i + 1] == 'y' || part[i + 1] == 'Y') {
            const std::string_view value = part.substr(i + 3, close - i - 3);
            const bool whole = part[i + 1] == 'Y';
            if (value.find_first_of("iI") != std::string_view::npos)
              (whole ? cueItalic : italic) = true;
            if (value.find_first_of("bB") != std::string_view::npos)
              (whole ? cueBold : bold) = true;
          }
          i = close;
          continue;
        }
      }
      if (part[i] == '/' && Trim(body).empty()) {
        italic = true;
        continue;
      }
      AppendTextByte(body, part[i]);
    }
    std::string line;
    if (italic || cueItalic) line += TextStyle::ItalicOn;
    if (bold || cueBold) line += TextStyle::BoldOn;
    line += body;
    line += TextStyle::ItalicOff;
    line += TextStyle::BoldOff;
    lines.push_back(std::move(line));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return lines;
}

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
