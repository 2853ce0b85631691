// WebVTT (.vtt): a "WEBVTT" header, then cues like SubRip's with voice spans,
// ruby, timestamp tags and HTML's character references; NOTE, STYLE and REGION blocks hold no
// cue. Also the document a WebVTT track becomes.
#include "base/Ascii.h"
#include "script/CharacterReferences.h"
#include "script/SubtitleFormats.h"
#include "script/TimedText.h"
#include "script/TrackDocuments.h"

namespace {

bool IsWebVtt(const TSubtitleOpening &opening) {
  const std::string_view text = opening.Text;
  return StartsWith(text, "WEBVTT") && (text.size() == 6 || text[6] == ' ' || text[6] == '\t' ||
                                        text[6] == '\r' || text[6] == '\n');
}

// A block that holds no cue: a comment, a style sheet, a region.
bool IsSkippedBlock(std::string_view line) {
  for (std::string_view keyword : {"NOTE", "STYLE", "REGION"})
    if (StartsWith(line, keyword) && (line.size() == keyword.size() ||
                                      line[keyword.size()] == ' ' || line[keyword.size()] == '\t'))
      return true;
  return false;
}

void ReadWebVtt(std::string_view text, TCueList &cues) {
  TTimedTextRules rules;
  rules.HeaderFirst = true;
  rules.TimestampTags = true;
  rules.TagsAlwaysOpen = true;
  rules.IsSkippedBlock = IsSkippedBlock;
  rules.ReadReference = ReadCharacterReference;
  ReadTimedText(rules, text, cues);
}

std::string WriteWebVtt(const TSubtitleTrack &track) {
  std::string doc = "WEBVTT\n\n";
  for (const TTrackCue &cue : track.Cues) {
    const std::string lines = TrackCueLines(cue.Text);
    if (lines.empty()) continue;
    doc += TrackTime(cue.StartMs, '.', 3) + " --> " + TrackTime(cue.EndMs, '.', 3) + "\n" + lines +
           "\n";
  }
  return doc;
}

const char *const Extensions[] = {"vtt"};
const char *const Codecs[] = {"webvtt"};

} // namespace

// Its row in the table of script/SubtitleFormats.cpp.
extern constinit const TSubtitleFormatRow WebVttFormat = {.Name = "WebVTT",
                                                          .Extensions = Extensions,
                                                          .Probe = IsWebVtt,
                                                          .Read = ReadWebVtt,
                                                          .TrackCodecs = Codecs,
                                                          .WriteTrack = WriteWebVtt};
