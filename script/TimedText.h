// What SubRip and WebVTT share: cues of a "start --> end" line followed by
// lines of tagged text up to a blank line. Each of the two gives its rules
// (script/SubRipFormat.cpp, script/WebVttFormat.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "script/Cues.h"

struct TTimedTextRules {
  // The text opens with a header block that holds no cue.
  bool HeaderFirst = false;
  // A number line stands above each timing line: when the blank line before
  // a timing line is missing, the number belongs to the new cue.
  bool NumberedCues = false;
  // "<00:01.000>" inside a cue is a timestamp tag, not text.
  bool TimestampTags = false;
  // Every "<" opens a tag: one never closed on its line hides the rest of
  // it ("a <3" shows "a"). Without it, a "<" that opens no known tag is text.
  bool TagsAlwaysOpen = false;
  // A blank line ends a cue only when a timing line follows it (after a
  // cue number or not); else the text after it continues the cue.
  bool BlankLinesInCues = false;
  // The codes of other formats that turn up in cue text: "\N" and "\n"
  // break the line, "\h" is a no-break space, MicroDVD codes ("{y:i}") are
  // dropped.
  bool ForeignCodes = false;
  // True when a line opens a block that holds no cue; null when every block
  // is a cue.
  bool (*IsSkippedBlock)(std::string_view line) = nullptr;
  // Reads the character reference that opens `text` (the bytes after an "&"),
  // appends its characters to `out` and returns the bytes it took, or 0 when
  // there is none; null when "&" is always text.
  size_t (*ReadReference)(std::string_view text, std::string &out) = nullptr;
};

// Appends the cues of `text` read by `rules` to `cues`.
void ReadTimedText(const TTimedTextRules &rules, std::string_view text, TCueList &cues);
