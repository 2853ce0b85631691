// The markup of cue texts: tags and entities of SubRip and WebVTT, override
// blocks of SubStation, control codes of MicroDVD. Italic and bold become
// style markers; everything else that is markup is dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/Cues.h"

// What a tagged cue text carries from one of its lines to the next.
struct TTagState {
  bool WebVtt = false; // entities and timestamp tags are read only in WebVTT
  std::string Voice;   // the open voice span's name
  int RubyText = 0;    // inside <rt>: the reading is not shown
};

// One line of SubRip or WebVTT cue text. `speaker` gets the voice the line
// speaks in: one opened before its first word, else the open voice span,
// else the first one the line opens.
std::string ReadTaggedLine(std::string_view line, TTagState &state, std::string &speaker);

// A SubStation dialogue text as lines: \N starts a new line, and so does \n
// when `newlineBreaks` (wrap style 2), else it is a space; \h is a no-break
// space; override blocks give italic and bold, and drawings are dropped.
std::vector<std::string> ReadOverrideText(std::string_view text, bool newlineBreaks);

// A MicroDVD text as lines: "|" starts a new line; {y:...} codes apply to
// their line and {Y:...} to the whole cue (italic and bold kept); a "/" that
// begins a line makes it italic.
std::vector<std::string> ReadMicroDvdText(std::string_view text);

// A cue's lines, lines[first] onwards, made fit to show: styles closed at the
// end of each line and opened again at the start of the next, control
// characters dropped (a TAB becomes a space), blanks trimmed, and lines left
// empty removed.
void FinishCueLines(std::vector<TCueLine> &lines, size_t first);
