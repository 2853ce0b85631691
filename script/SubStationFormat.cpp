// SubStation Alpha (.ssa) and Advanced SubStation (.ass): the Dialogue lines
// of the [Events] section, their fields in the order the Format line gives,
// their text with override blocks. Also the document an ASS or SSA track
// becomes.
#include <algorithm>
#include <vector>

#include "base/Ascii.h"
#include "script/CueMarkup.h"
#include "script/CueTiming.h"
#include "script/ScriptText.h"
#include "script/SubtitleFormats.h"
#include "script/TextLines.h"
#include "script/TrackDocuments.h"

namespace {

constexpr std::string_view NoBreakSpace = "\xC2\xA0";

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
      inEvents = EqualsNoCase(line, "[Events]");
    else if (inEvents && StartsWithNoCase(line, "Dialogue:"))
      return true;
  }
  return false;
}

// A first section of [Script Info], or any first section and events.
bool IsSubStation(const TSubtitleOpening &opening) {
  return IsSectionLine(opening.FirstSection) &&
         (EqualsNoCase(opening.FirstSection, "[Script Info]") || HasDialogueEvents(opening.Text));
}

// A dialogue text as lines: \N starts a new line, and so does \n when
// `newlineBreaks` (wrap style 2), else it is a space; \h is a no-break
// space; override blocks give italic and bold, and drawings are dropped.
std::vector<std::string> ReadOverrideText(std::string_view text, bool newlineBreaks) {
  std::vector<std::string> lines(1);
  uint32_t drawing = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{') {
      // Every brace block is hidden, override tags or a comment.
      const size_t close = ClosingIndex(text, i, '}');
      if (close != std::string_view::npos) {
        ApplyOverrides(text.substr(i + 1, close - i - 1), lines.back(), drawing);
        i = close;
        continue;
      }
    } else if (c == '\\' && i + 1 < text.size()) {
      const char code = text[i + 1];
      if (code == 'N' || code == 'n' || code == 'h') {
        ++i;
        if (drawing > 0) continue;
        if (code == 'N' || (code == 'n' && newlineBreaks))
          lines.emplace_back();
        else
          lines.back() += code == 'h' ? NoBreakSpace : " ";
        continue;
      }
    }
    if (drawing == 0) AppendTextByte(lines.back(), c);
  }
  return lines;
}

// The text without its control bytes: a title must not send the terminal
// commands.
std::string PlainText(std::string_view text) {
  std::string plain;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) plain += c;
  return plain;
}

// The value after "Key:" when the line starts with that key.
bool ReadKey(std::string_view line, std::string_view key, std::string_view &value) {
  if (!StartsWithNoCase(line, key) || line.size() <= key.size() || line[key.size()] != ':')
    return false;
  value = Trim(line.substr(key.size() + 1));
  return true;
}

// The fields of an event line: `count` fields split at commas, the last one
// taking the rest of the line, commas and all. Fewer when the line has fewer.
std::vector<std::string_view> SplitFields(std::string_view text, size_t count) {
  std::vector<std::string_view> fields;
  while (fields.size() + 1 < count) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) break;
    fields.push_back(text.substr(0, comma));
    text.remove_prefix(comma + 1);
  }
  fields.push_back(text);
  return fields;
}

class TSubStationReader {
public:
  explicit TSubStationReader(TCueList &cues) : FCues(cues) {}

  void Read(std::string_view text) {
    TTextLines lines(text);
    std::string_view line, value;
    while (lines.Next(line)) {
      line = Trim(line);
      if (!line.empty() && line.front() == '[') {
        FSection = LowerCase(line);
      } else if (FSection == "[script info]") {
        if (ReadKey(line, "Title", value)) FCues.Title = PlainText(value);
        if (ReadKey(line, "WrapStyle", value)) FNewlineBreaks = value == "2";
      } else if (FSection == "[events]") {
        if (ReadKey(line, "Format", value)) ReadFormat(value);
        if (ReadKey(line, "Dialogue", value)) ReadDialogue(value, lines.Number());
        // Comment lines and the other event kinds are not shown.
      }
    }
  }

private:
  void ReadFormat(std::string_view value) {
    std::vector<std::string> names;
    for (std::string_view field : SplitFields(value, SIZE_MAX))
      names.push_back(LowerCase(Trim(field)));
    size_t start = names.size(), end = names.size(), textField = names.size(), name = names.size();
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == "start") start = i;
      if (names[i] == "end") end = i;
      if (names[i] == "text") textField = i;
      // Files name the speaker's field "Name" or "Actor".
      if ((names[i] == "name" || names[i] == "actor") && name == names.size()) name = i;
    }
    // A Format line without the two fields that matter is no format at all.
    if (start == names.size() || textField == names.size()) return;
    FFieldCount = names.size();
    FStartField = start;
    FEndField = end;
    FTextField = textField;
    FNameField = name;
  }

  void ReadDialogue(std::string_view value, size_t number) {
    const std::vector<std::string_view> fields = SplitFields(value, FFieldCount);
    uint32_t start = 0;
    if (fields.size() < FFieldCount || !ReadClockTime(Trim(fields[FStartField]), start)) {
      FCues.BadLines.push_back(number);
      return;
    }
    const std::string speaker =
        FNameField < fields.size() ? std::string(Trim(fields[FNameField])) : std::string();
    // An end that is missing or unreadable leaves the cue without one; only
    // the start decides whether the line is read.
    uint32_t end = 0;
    if (FEndField >= fields.size() || !ReadClockTime(Trim(fields[FEndField]), end)) end = 0;
    const size_t first = FCues.Lines.size();
    for (std::string &text : ReadOverrideText(fields[FTextField], FNewlineBreaks))
      FCues.Lines.push_back({speaker, std::move(text)});
    FCues.EndCue(start, end, first);
  }

  TCueList &FCues;
  std::string FSection;
  bool FNewlineBreaks = false;
  // Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text:
  // the order both versions use when no Format line says otherwise.
  size_t FFieldCount = 10, FStartField = 1, FEndField = 2, FTextField = 9, FNameField = 4;
};

void ReadSubStation(std::string_view text, TCueList &cues) { TSubStationReader(cues).Read(text); }

// The track's header, then each packet ("ReadOrder,Layer,Style,...,Text")
// as a Dialogue line with its times put in after the layer.
std::string WriteSubStation(const TSubtitleTrack &track) {
  std::string doc = track.Header;
  if (!doc.empty() && doc.back() != '\n') doc += '\n';
  if (doc.find("[Events]") == std::string::npos)
    doc += "\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
           "Effect, Text\n";
  for (const TTrackCue &cue : track.Cues) {
    const size_t order = cue.Text.find(',');
    if (order == std::string::npos) continue;
    const size_t layer = cue.Text.find(',', order + 1);
    if (layer == std::string::npos) continue;
    std::string text = cue.Text.substr(layer + 1);
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    doc += "Dialogue: " + cue.Text.substr(order + 1, layer - order - 1) + "," +
           TrackTime(cue.StartMs, '.', 2) + "," + TrackTime(cue.EndMs, '.', 2) + "," + text + "\n";
  }
  return doc;
}

const char *const Extensions[] = {"ass", "ssa"};
const char *const Codecs[] = {"ass", "ssa"};

} // namespace

// Its row in the table of script/SubtitleFormats.cpp.
extern constinit const TSubtitleFormatRow SubStationFormat = {.Name = "SubStation",
                                                              .Extensions = Extensions,
                                                              .Probe = IsSubStation,
                                                              .Read = ReadSubStation,
                                                              .TrackCodecs = Codecs,
                                                              .WriteTrack = WriteSubStation};
