// The reader SubRip and WebVTT share: blocks of a timing line and tagged
// text lines, the tags of both (italic, bold, voices, ruby, timestamps),
// entities where the rules read them, and SubStation override blocks.
#include "script/TimedText.h"

#include <string>

#include "base/Ascii.h"
#include "base/TextStyle.h"
#include "script/CueMarkup.h"
#include "script/CueTiming.h"
#include "script/ScriptText.h"
#include "script/TextLines.h"

namespace {

constexpr const char *NoBreakSpace = "\xC2\xA0";

// What a tagged cue text carries from one of its lines to the next.
struct TTagState {
  const TTimedTextRules *Rules = nullptr;
  std::string Voice; // the open voice span's name
  int RubyText = 0;  // inside <rt>: the reading is not shown
};

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
  if (state.Rules->TimestampTags && !closing && IsDigit(tag[0])) return true;
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
      // Only a voice opened before the line's first word is the line's
      // speaker; one opened later leaves its words inline.
      if (!HasWords(out)) speaker = state.Voice;
    }
  }
  return true; // every other tag (u, c, font, lang, ruby...) is dropped
}

// The letters of MicroDVD's control codes: style, font, size, colour,
// position, coordinates and charset ("{y:i}", "{C:$0000ff}").
bool IsMicroDvdCodeLetter(char c) {
  return std::string_view("yYfFsScCPoH").find(c) != std::string_view::npos;
}

// The index of the "}" that closes a MicroDVD code opening at `open`, or
// npos when none opens there.
size_t MicroDvdCodeEnd(std::string_view line, size_t open) {
  if (open + 2 >= line.size() || !IsMicroDvdCodeLetter(line[open + 1]) || line[open + 2] != ':')
    return std::string_view::npos;
  return ClosingIndex(line, open, '}');
}

// Where a tag opening at `open` ends: at its ">", or, when every "<" opens a
// tag, at the line's end for one never closed.
size_t TagEnd(std::string_view line, size_t open, const TTimedTextRules &rules) {
  if (!rules.TagsAlwaysOpen) return ClosingIndex(line, open, '>');
  const size_t close = line.find('>', open + 1);
  return close == std::string_view::npos ? line.size() : close;
}

// One line of cue text. `speaker` gets the voice the line speaks in: one
// opened before its first word, else the open voice span. A "\n" in the
// result breaks the line where a foreign code asked for it.
std::string ReadTaggedLine(std::string_view line, TTagState &state, std::string &speaker) {
  std::string out;
  speaker = state.Voice;
  uint32_t drawing = 0; // override blocks in these lines never draw
  const TTimedTextRules &rules = *state.Rules;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '<') {
      const size_t close = TagEnd(line, i, rules);
      if (close != std::string_view::npos) {
        const std::string_view tag = line.substr(i + 1, close - i - 1);
        if (ApplyTag(tag, state, out, speaker) || rules.TagsAlwaysOpen) {
          i = close;
          continue;
        }
      }
    } else if (c == '\\' && rules.ForeignCodes && i + 1 < line.size() &&
               std::string_view("Nnh").find(line[i + 1]) != std::string_view::npos) {
      if (state.RubyText == 0) out += line[i + 1] == 'h' ? NoBreakSpace : "\n";
      ++i;
      continue;
    } else if (c == '{' && rules.ForeignCodes &&
               MicroDvdCodeEnd(line, i) != std::string_view::npos) {
      i = MicroDvdCodeEnd(line, i);
      continue;
    } else if (c == '{' && i + 1 < line.size() && line[i + 1] == '\\') {
      const size_t close = ClosingIndex(line, i, '}');
      if (close != std::string_view::npos) {
        ApplyOverrides(line.substr(i + 1, close - i - 1), out, drawing);
        i = close;
        continue;
      }
    } else if (c == '&' && state.Rules->ReadReference) {
      std::string characters;
      if (const size_t taken = state.Rules->ReadReference(line.substr(i + 1), characters)) {
        if (state.RubyText == 0) out += characters;
        i += taken;
        continue;
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

class TTimedTextReader {
public:
  TTimedTextReader(const TTimedTextRules &rules, TCueList &cues) : FRules(rules), FCues(cues) {}

  void Read(std::string_view text) {
    TTextLines lines(text);
    std::string_view line;
    FState = FRules.HeaderFirst ? sHeader : sBetween;
    while (lines.Next(line)) {
      // The header's own line is never a cue, whatever follows its keyword
      // ("WEBVTT - title", even a timing).
      if (FState == sHeader && lines.Number() == 1) continue;
      if (line.find("-->") != std::string_view::npos) {
        StartCue(line, lines.Number());
      } else if (Trim(line).empty()) {
        EndBlock();
      } else if (FState == sAfterBlank || FState == sAfterNumber) {
        ContinueCue(line);
      } else if (FState == sInCue) {
        AddLine(line);
      } else if (FState == sBetween && FRules.IsSkippedBlock && FRules.IsSkippedBlock(line)) {
        FState = sSkipping;
      }
      // Anything else outside a cue (cue numbers, identifiers, the header,
      // the lines of a skipped block) is not shown.
    }
    FinishCue();
  }

private:
  // sAfterBlank: a cue was read up to a blank line that may not end it;
  // sAfterNumber: a number line came after that blank line.
  enum TState { sHeader, sBetween, sInCue, sAfterBlank, sAfterNumber, sSkipping };

  bool InCue() const { return FState == sInCue || FState == sAfterBlank || FState == sAfterNumber; }

  // A blank line: the end of the block, unless a cue may go on after it.
  void EndBlock() {
    if (FState == sAfterNumber) AddLine(FHeldNumber);
    if (FRules.BlankLinesInCues && InCue()) {
      FState = sAfterBlank;
      return;
    }
    FinishCue();
    FState = sBetween;
  }

  // A line after a blank line inside a cue: a number is held, since the cue
  // ends if a timing line follows it; any other text continues the cue.
  void ContinueCue(std::string_view line) {
    if (FState == sAfterBlank && IsDigits(Trim(line))) {
      FHeldNumber = line;
      FState = sAfterNumber;
      return;
    }
    if (FState == sAfterNumber) AddLine(FHeldNumber);
    FState = sInCue;
    AddLine(line);
  }

  // A timing line also ends the cue before it when the blank line between
  // them is missing; a number line above it then belongs to the new cue,
  // not to the old one's text.
  void StartCue(std::string_view line, size_t number) {
    if (FState == sInCue && FRules.NumberedCues && FLastLineIsNumber) FCues.Lines.pop_back();
    FinishCue();
    uint32_t start = 0, end = 0;
    if (!ReadTimingLine(line, start, end)) {
      FCues.BadLines.push_back(number);
      FState = sSkipping;
      return;
    }
    FState = sInCue;
    FStart = start;
    FEnd = end;
    FTags = TTagState{};
    FTags.Rules = &FRules;
    FFirstLine = FCues.Lines.size();
    FLastLineIsNumber = false;
  }

  // One line of cue text; the breaks its codes ask for make more lines.
  void AddLine(std::string_view line) {
    std::string speaker;
    const std::string text = ReadTaggedLine(line, FTags, speaker);
    size_t start = 0;
    for (;;) {
      const size_t end = text.find('\n', start);
      TCueLine &raw = FCues.Lines.emplace_back();
      raw.Text = text.substr(start, end == std::string::npos ? end : end - start);
      if (start == 0) raw.Speaker = std::move(speaker);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    FLastLineIsNumber = IsDigits(Trim(line));
  }

  void FinishCue() {
    if (!InCue()) return;
    FState = sBetween;
    FCues.EndCue(FStart, FEnd, FFirstLine);
  }

  const TTimedTextRules &FRules;
  TCueList &FCues;
  TState FState = sBetween;
  uint32_t FStart = 0, FEnd = 0;
  TTagState FTags;
  size_t FFirstLine = 0;
  bool FLastLineIsNumber = false;
  std::string_view FHeldNumber;
};

} // namespace

void ReadTimedText(const TTimedTextRules &rules, std::string_view text, TCueList &cues) {
  TTimedTextReader(rules, cues).Read(text);
}
