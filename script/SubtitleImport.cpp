// TCaptel's importer: subtitle files in the formats people have (SubRip,
// WebVTT, SubStation, MicroDVD) decoded to UTF-8 and read into the table.
#include <algorithm>

#include "platform/CodePages.h"
#include "script/Cues.h"
#include "script/SubtitleEncoding.h"
#include "script/SubtitleFormats.h"
#include "script/UntCaptel.h"

namespace {

// Bad timing lines named one by one; the rest are counted in one line.
constexpr size_t BadLinesNamed = 20;

// The title of a file that names none: its base name without the extension
// ("film" for /videos/film.srt), the default for a name without one.
std::string TitleFromName(const std::string &path) {
  std::string name = path.substr(path.find_last_of("/\\") + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? "Untitled video" : name;
}

} // namespace

bool TCaptel::ImportSubtitles(const std::string &bytes, const std::string &sourceName) {
  TMarkedText marked = ReadByteOrderMark(bytes);
  const bool unmarked = marked.Mark == TByteOrderMark::None;
  const TSubtitleFormatRow *format = DetectSubtitleFormat(unmarked ? bytes : marked.Text);
  if (!format) return false;

  // Text that is UTF-8 already is read where it lies.
  std::string decoded;
  std::string_view text = bytes;
  if (!unmarked) {
    text = marked.Text;
    if (marked.Replaced > 0 && LogProc)
      LogProc(std::string("Invalid ") + marked.Encoding +
              " replaced: " + std::to_string(marked.Replaced));
  } else if (DecodeUnmarkedText(bytes, SubtitleCodePage, FCodePages.GetACP(), LogProc, decoded)) {
    text = decoded;
  }
  TCueList cues;
  format->Read(text, cues);

  ScriptFileName = sourceName;
  Title = cues.Title.empty() ? TitleFromName(sourceName) : cues.Title;
  TimesInMilliseconds = !cues.InFrames;
  FrameRate = TimesInMilliseconds ? 1000.0 : cues.FrameRate > 0 ? cues.FrameRate : 25.0;
  // A table in milliseconds has its rate, and so has MicroDVD with a rate
  // line; a followed player's own rate must not replace it.
  FrameRateGiven = TimesInMilliseconds || cues.FrameRate > 0;
  CodePage = 1250;
  ScriptCodePageKind = cpkOther;
  KeepAhead = 0;
  UnicodeText = true;
  ReportBadLines(cues.BadLines);
  FillTable(cues);
  CloseTable();
  return true;
}

void TCaptel::ReportBadLines(const std::vector<size_t> &lines) {
  if (!LogProc) return;
  for (size_t i = 0; i < lines.size() && i < BadLinesNamed; ++i)
    LogProc("Bad timing in line " + std::to_string(lines[i]));
  if (lines.size() > BadLinesNamed)
    LogProc("Bad timing in " + std::to_string(lines.size() - BadLinesNamed) + " more lines");
}

// Cues in order of their start (file order for equal starts), one entry per
// line at the cue's start. A line's speaker is written when it differs from
// the line before it in the cue, so a cue's one speaker stands on its first
// line only. A cue that no longer fits whole is dropped with all after it.
void TCaptel::FillTable(TCueList &cues) {
  const auto earlier = [](const TCue &a, const TCue &b) { return a.Start < b.Start; };
  if (!std::is_sorted(cues.Cues.begin(), cues.Cues.end(), earlier))
    std::stable_sort(cues.Cues.begin(), cues.Cues.end(), earlier);
  Count = 0;
  Texts[0].Frame = 1;
  Texts[0].Text.clear();
  FDroppedEntries = 0;
  for (const TCue &cue : cues.Cues) {
    if (FDroppedEntries > 0 || Count + cue.LineCount > static_cast<size_t>(MaxEntries)) {
      ++FDroppedEntries;
      continue;
    }
    const std::string *speaker = nullptr;
    for (uint32_t k = 0; k < cue.LineCount; ++k) {
      TCueLine &line = cues.Lines[cue.FirstLine + k];
      ++Count;
      TText &entry = Texts[Count];
      entry.Frame = cue.Start;
      entry.End = cue.End;
      const bool named = !line.Speaker.empty() && (!speaker || *speaker != line.Speaker);
      entry.Text = named ? line.Speaker + ":\t" + line.Text : std::move(line.Text);
      speaker = &line.Speaker;
      entry.Next = 0;
      Texts[Count - 1].Next = Count;
    }
  }
}
