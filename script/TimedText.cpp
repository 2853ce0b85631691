// The reader SubRip and WebVTT share: blocks of a timing line and tagged
// text lines, the tags of both (italic, bold, voices, ruby, timestamps),
// entities where the rules read them, and SubStation override blocks.
#include "script/TimedText.h"

#include <string>

#include "base/Ascii.h"
#include "base/TextStyle.h"
#include "base/Utf8.h"
#include "script/CueMarkup.h"
#include "script/CueTiming.h"
#include "script/ScriptText.h"
#include "script/TextLines.h"

namespace {

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
      // A voice opened before the line's first word is the line's speaker.
      if (speaker.empty() || !HasWords(out)) speaker = state.Voice;
    }
  }
  return true; // every other tag (u, c, font, lang, ruby...) is dropped
}

// One line of cue text. `speaker` gets the voice the line speaks in: one
// opened before its first word, else the open voice span, else the first
// one the line opens.
std::string ReadTaggedLine(std::string_view line, TTagState &state, std::string &speaker) {
  std::string out;
  speaker = state.Voice;
  uint32_t drawing = 0; // override blocks in these lines never draw
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
        FinishCue();
        FState = sBetween;
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
  enum TState { sHeader, sBetween, sInCue, sSkipping };

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

  void AddLine(std::string_view line) {
    TCueLine &raw = FCues.Lines.emplace_back();
    raw.Text = ReadTaggedLine(line, FTags, raw.Speaker);
    FLastLineIsNumber = IsDigits(Trim(line));
  }

  void FinishCue() {
    if (FState != sInCue) return;
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
};

} // namespace

void ReadTimedText(const TTimedTextRules &rules, std::string_view text, TCueList &cues) {
  TTimedTextReader(rules, cues).Read(text);
}
