// MicroDVD (.sub, .txt): one cue per line, "{start}{end}text" with frame
// numbers of the video; a first cue "{1}{1}23.976" gives the frame rate
// instead of a text. "|" breaks lines, {y:...} and {Y:...} codes style them.
#include <cstdlib>
#include <string>
#include <vector>

#include "base/TextStyle.h"
#include "script/CueMarkup.h"
#include "script/ScriptText.h"
#include "script/SubtitleFormats.h"
#include "script/TextLines.h"

namespace {

// Reads "{digits}" at the front of `text` and removes it; an empty pair of
// braces is allowed when `mayBeEmpty`. A "-" before the digits (a cue timed
// before the film's start) is read and marks the frame `negative`.
bool TakeFrame(std::string_view &text, bool mayBeEmpty, uint32_t &frame, bool &negative) {
  if (text.empty() || text.front() != '{') return false;
  const size_t close = text.find('}');
  if (close == std::string_view::npos) return false;
  std::string_view digits = text.substr(1, close - 1);
  negative = StartsWith(digits, "-");
  if (negative) digits.remove_prefix(1);
  frame = 0;
  if (!(digits.empty() ? mayBeEmpty && !negative : ReadDigits(digits, frame))) return false;
  text.remove_prefix(close + 1);
  return true;
}

// The two frames at the front of a cue line, removed from it.
bool TakeFrames(std::string_view &line, uint32_t &start, uint32_t &end, bool &negative) {
  bool startNegative = false, endNegative = false;
  if (!TakeFrame(line, false, start, startNegative) || !TakeFrame(line, true, end, endNegative))
    return false;
  negative = startNegative || endNegative;
  return true;
}

// A frame rate written as the text of the first cue: a positive number with
// "." or "," as its decimal point.
bool ReadFrameRate(std::string_view text, double &rate) {
  std::string number(Trim(text));
  if (number.empty() || number.size() > 16 ||
      number.find_first_not_of("0123456789.,") != std::string::npos)
    return false;
  for (char &c : number)
    if (c == ',') c = '.';
  // A first cue that is no rate ("1.2.3", "1984") is text and leaves the
  // rate as it was.
  char *end = nullptr;
  const double read = std::strtod(number.c_str(), &end);
  if (!end || *end != '\0' || read <= 0 || read > 1000) return false;
  rate = read;
  return true;
}

// A text as lines: "|" starts a new line; {y:...} codes apply to their line
// and {Y:...} to the whole cue (italic and bold kept); a "/" that begins a
// line makes it italic.
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

// A line shaped as a cue, "{n}{n}text" or "{n}{}text"; frames may be
// negative here, the reader then skips the cue as a bad timing.
bool IsCueShaped(std::string_view line) {
  line = Trim(line);
  uint32_t start = 0, end = 0;
  bool negative = false;
  return TakeFrames(line, start, end, negative) && !line.empty();
}

// Known by its first cue lines: the first line that is not blank opens with
// "{" and it, or the line after it, is shaped as a cue.
bool IsMicroDvd(const TSubtitleOpening &opening) {
  return StartsWith(opening.First, "{") &&
         (IsCueShaped(opening.First) || IsCueShaped(opening.Second));
}

void ReadMicroDvd(std::string_view text, TCueList &cues) {
  cues.InFrames = true;
  TTextLines lines(text);
  std::string_view line;
  bool first = true;
  while (lines.Next(line)) {
    line = Trim(line);
    if (line.empty()) continue;
    uint32_t start = 0, end = 0;
    bool negative = false;
    if (!TakeFrames(line, start, end, negative) || negative) {
      cues.BadLines.push_back(lines.Number());
      continue;
    }
    const bool rateLine = first && start == 1 && end == 1 && ReadFrameRate(line, cues.FrameRate);
    first = false;
    if (rateLine) continue;
    const size_t first = cues.Lines.size();
    for (std::string &part : ReadMicroDvdText(line))
      cues.Lines.push_back({std::string(), std::move(part)});
    // "{}" names no end: the cue then has none.
    cues.EndCue(start, end, first);
  }
}

const char *const Extensions[] = {"sub", "txt"};

} // namespace

// Its row in the table of script/SubtitleFormats.cpp. No video carries
// MicroDVD: the row serves no track codec.
extern constinit const TSubtitleFormatRow MicroDvdFormat = {.Name = "MicroDVD",
                                                            .Extensions = Extensions,
                                                            .Probe = IsMicroDvd,
                                                            .Read = ReadMicroDvd,
                                                            .TrackCodecs = {},
                                                            .WriteTrack = nullptr};
