// SubRip (.srt): numbered cues of a "start --> end" line and text lines up
// to a blank line that a timing line follows, tagged with <i>, <b>,
// SubStation override blocks and codes ("\N") and MicroDVD codes.
// Also the document a SubRip, plain text or mov_text track becomes.
#include "base/Ascii.h"
#include "script/CueTiming.h"
#include "script/SubtitleFormats.h"
#include "script/TimedText.h"
#include "script/TrackDocuments.h"

namespace {

// A cue number over a timing line, or a timing line alone.
bool IsSubRip(const TSubtitleOpening &opening) {
  uint32_t start = 0, end = 0;
  return (IsDigits(opening.First) && opening.Second.find("-->") != std::string_view::npos) ||
         ReadTimingLine(opening.First, start, end);
}

void ReadSubRip(std::string_view text, TCueList &cues) {
  TTimedTextRules rules;
  rules.NumberedCues = true;
  rules.BlankLinesInCues = true;
  rules.ForeignCodes = true;
  ReadTimedText(rules, text, cues);
}

std::string WriteSubRip(const TSubtitleTrack &track) {
  std::string doc;
  int number = 0;
  for (const TTrackCue &cue : track.Cues) {
    const std::string lines = TrackCueLines(cue.Text);
    if (lines.empty()) continue;
    doc += std::to_string(++number) + "\n" + TrackTime(cue.StartMs, ',', 3) + " --> " +
           TrackTime(cue.EndMs, ',', 3) + "\n" + lines + "\n";
  }
  return doc;
}

const char *const Extensions[] = {"srt"};
const char *const Codecs[] = {"subrip", "text", "mov_text"};

} // namespace

// Its row in the table of script/SubtitleFormats.cpp.
extern constinit const TSubtitleFormatRow SubRipFormat = {.Name = "SubRip",
                                                          .Extensions = Extensions,
                                                          .Probe = IsSubRip,
                                                          .Read = ReadSubRip,
                                                          .TrackCodecs = Codecs,
                                                          .WriteTrack = WriteSubRip};
