// Which subtitle format a text is in, from its content alone, and the reader
// for each format.
#include <algorithm>

#include "script/CueTiming.h"
#include "script/ScriptText.h"
#include "script/SubtitleReaders.h"
#include "script/TextLines.h"

namespace {

// A line that opens a HEAD or T block of a native script ("{HEAD", "{T;250",
// "{t; 400"): a file with one is a native script, whatever else it holds.
bool IsScriptBlockLine(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '{') return false;
  const std::string_view type = Trim(line.substr(1, line.find(';') - 1));
  return type == "T" || type == "t" || (type.size() == 4 && StartsWithNoCase(type, "HEAD"));
}

// Whether any line of `text` opens a native block. Only a line with a "{"
// can, so the search goes from one "{" to the next and looks at its line.
bool HasScriptBlockLine(std::string_view text) {
  for (size_t at = text.find('{'); at != std::string_view::npos; at = text.find('{', at)) {
    const size_t before = text.find_last_of("\r\n", at);
    const size_t start = before == std::string_view::npos ? 0 : before + 1;
    const size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    if (IsScriptBlockLine(text.substr(start, end - start))) return true;
    at = end;
  }
  return false;
}

bool IsSectionLine(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// An [Events] section with at least one Dialogue line in it.
bool HasDialogueEvents(std::string_view text) {
  TTextLines lines(text);
  std::string_view line;
  bool inEvents = false;
  while (lines.Next(line)) {
    line = Trim(line);
    if (IsSectionLine(line))
      inEvents = StartsWithNoCase(line, "[Events]") && line.size() == 8;
    else if (inEvents && StartsWithNoCase(line, "Dialogue:"))
      return true;
  }
  return false;
}

} // namespace

TSubtitleFormat DetectSubtitleFormat(std::string_view text) {
  if (HasScriptBlockLine(text)) return TSubtitleFormat::None;
  TTextLines lines(text);
  std::string_view line, first, second, firstSection;
  bool haveFirst = false, haveSecond = false;
  // Only the first lines tell the format.
  while ((!haveSecond || firstSection.empty()) && lines.Next(line)) {
    const std::string_view trimmed = Trim(line);
    if (haveFirst && !haveSecond) {
      second = line;
      haveSecond = true;
    }
    if (!haveFirst && !trimmed.empty()) {
      first = trimmed;
      haveFirst = true;
    }
    // SubStation files may open with ";" comment lines before their first
    // section.
    if (firstSection.empty() && !trimmed.empty() && trimmed.front() != ';') firstSection = trimmed;
  }

  if (text.substr(0, 6) == "WEBVTT" &&
      (text.size() == 6 || text[6] == ' ' || text[6] == '\t' || text[6] == '\r' || text[6] == '\n'))
    return TSubtitleFormat::WebVtt;
  if (IsSectionLine(firstSection) &&
      ((StartsWithNoCase(firstSection, "[Script Info]") && firstSection.size() == 13) ||
       HasDialogueEvents(text)))
    return TSubtitleFormat::SubStation;
  uint32_t start = 0, end = 0;
  if ((IsDigits(first) && second.find("-->") != std::string_view::npos) ||
      ReadTimingLine(first, start, end))
    return TSubtitleFormat::SubRip;
  if (IsMicroDvdLine(first)) return TSubtitleFormat::MicroDvd;
  return TSubtitleFormat::None;
}

void ReadSubtitles(TSubtitleFormat format, std::string_view text, TCueList &cues) {
  switch (format) {
  case TSubtitleFormat::SubRip: ReadSubRip(text, cues); break;
  case TSubtitleFormat::WebVtt: ReadWebVtt(text, cues); break;
  case TSubtitleFormat::SubStation: ReadSubStation(text, cues); break;
  case TSubtitleFormat::MicroDvd: ReadMicroDvd(text, cues); break;
  case TSubtitleFormat::None: break;
  }
}
