// SubRip and WebVTT: cues of a "start --> end" line followed by lines of text
// up to a blank line.
#include "script/CueMarkup.h"
#include "script/CueTiming.h"
#include "script/ScriptText.h"
#include "script/SubtitleReaders.h"
#include "script/TextLines.h"

namespace {

// A WebVTT block that holds no cue: a comment, a style sheet, a region.
bool IsSkippedBlock(std::string_view line) {
  for (std::string_view keyword : {"NOTE", "STYLE", "REGION"})
    if (line.substr(0, keyword.size()) == keyword &&
        (line.size() == keyword.size() || line[keyword.size()] == ' ' ||
         line[keyword.size()] == '\t'))
      return true;
  return false;
}

class TTimedTextReader {
public:
  TTimedTextReader(bool webVtt, TCueList &cues) : FWebVtt(webVtt), FCues(cues) {}

  void Read(std::string_view text) {
    TTextLines lines(text);
    std::string_view line;
    FState = FWebVtt ? sHeader : sBetween;
    while (lines.Next(line)) {
      if (line.find("-->") != std::string_view::npos) {
        StartCue(line, lines.Number());
      } else if (Trim(line).empty()) {
        FinishCue();
        FState = sBetween;
      } else if (FState == sInCue) {
        AddLine(line);
      } else if (FState == sBetween && FWebVtt && IsSkippedBlock(line)) {
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
  // them is missing; in SubRip the number line above it then belongs to the
  // new cue, not to the old one's text.
  void StartCue(std::string_view line, size_t number) {
    if (FState == sInCue && !FWebVtt && FLastLineIsNumber) FCues.Lines.pop_back();
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
    FTags.WebVtt = FWebVtt;
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

  const bool FWebVtt;
  TCueList &FCues;
  TState FState = sBetween;
  uint32_t FStart = 0, FEnd = 0;
  TTagState FTags;
  size_t FFirstLine = 0;
  bool FLastLineIsNumber = false;
};

} // namespace

void ReadSubRip(std::string_view text, TCueList &cues) { TTimedTextReader(false, cues).Read(text); }

void ReadWebVtt(std::string_view text, TCueList &cues) { TTimedTextReader(true, cues).Read(text); }
