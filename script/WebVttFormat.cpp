// WebVTT (.vtt): a "WEBVTT" header, then cues like SubRip's with voice spans,
// ruby, timestamp tags and entities; NOTE, STYLE and REGION blocks hold no
// cue. Also the document a WebVTT track becomes.
#include "base/Ascii.h"
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

// The character an entity names ("amp", "#233", "#xE9"), or 0.
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

void ReadWebVtt(std::string_view text, TCueList &cues) {
  TTimedTextRules rules;
  rules.HeaderFirst = true;
  rules.TimestampTags = true;
  rules.TagsAlwaysOpen = true;
  rules.IsSkippedBlock = IsSkippedBlock;
  rules.EntityCharacter = EntityCharacter;
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
