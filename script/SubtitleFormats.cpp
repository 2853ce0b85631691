// The table of subtitle formats, and detection through it: a native script
// is never taken for one, else the row whose probe claims the opening.
#include "script/SubtitleFormats.h"

#include <algorithm>

#include "base/Ascii.h"
#include "script/ScriptText.h"
#include "script/TextLines.h"

// The rows, each defined in its format's file, in the look-up's order of
// extensions.
extern const TSubtitleFormatRow SubRipFormat, WebVttFormat, SubStationFormat, MicroDvdFormat;

namespace {

const TSubtitleFormatRow *const Rows[] = {&SubRipFormat, &WebVttFormat, &SubStationFormat,
                                          &MicroDvdFormat};

// A line that opens a HEAD or T block of a native script ("{HEAD", "{T;250",
// "{t; 400"): a file with one is a native script, whatever else it holds.
bool IsScriptBlockLine(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '{') return false;
  const std::string_view type = Trim(line.substr(1, line.find(';') - 1));
  return type == "T" || type == "t" || EqualsNoCase(type, "HEAD");
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

} // namespace

std::span<const TSubtitleFormatRow *const> SubtitleFormats() { return Rows; }

TSubtitleOpening ReadOpening(std::string_view text) {
  TSubtitleOpening opening;
  opening.Text = text;
  TTextLines lines(text);
  std::string_view line;
  bool haveFirst = false, haveSecond = false;
  // Only the first lines tell the format.
  while ((!haveSecond || opening.FirstSection.empty()) && lines.Next(line)) {
    const std::string_view trimmed = Trim(line);
    if (haveFirst && !haveSecond) {
      opening.Second = line;
      haveSecond = true;
    }
    if (!haveFirst && !trimmed.empty()) {
      opening.First = trimmed;
      haveFirst = true;
    }
    // SubStation files may open with ";" comment lines before their first
    // section.
    if (opening.FirstSection.empty() && !trimmed.empty() && trimmed.front() != ';')
      opening.FirstSection = trimmed;
  }
  return opening;
}

const TSubtitleFormatRow *DetectSubtitleFormat(std::string_view text) {
  if (HasScriptBlockLine(text)) return nullptr;
  const TSubtitleOpening opening = ReadOpening(text);
  for (const TSubtitleFormatRow *row : Rows)
    if (row->Probe(opening)) return row;
  return nullptr;
}
