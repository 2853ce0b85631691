// TCaptel's loader: reads a subtitle script's blocks (HEAD directives and T
// subtitles) into the header fields and the subtitle table.
#include "script/UntCaptel.h"

#include "platform/Files.h"
#include "script/NumberReaders.h"
#include "script/PictureSubtitles.h"
#include "script/ScriptText.h"

void TCaptel::LoadFromFile(const std::string &fileName) {
  ScriptFileName = fileName;
  Title = "Untitled video";
  FrameRate = 25.0;
  FrameRateGiven = false;
  CodePage = 1250;
  KeepAhead = 0;
  Count = 0;
  Texts[0].Frame = 1;
  FDroppedEntries = 0;
  UnicodeText = false;
  TimesInMilliseconds = false;
  PictureFormat.clear();

  // The file is read whole, so it is already closed when parsing starts; a
  // failed open, read or close raises EInOutError from here.
  const std::string bytes = FFiles.ReadAll(fileName);
  // A file of pictures has no text to read, whatever bytes it holds: it is
  // named, and the table stays empty.
  if (const char *picture = PictureSubtitleFormat(bytes)) {
    PictureFormat = picture;
    CloseTable();
    return;
  }
  if (ImportSubtitles(bytes, fileName)) return;
  TLineReader reader(bytes);
  while (!reader.Eof())
    ReadBlock(reader);
  CloseTable();
}

void TCaptel::CloseTable() {
  LastFrame = Texts[Count].Frame;
  ++Count;
  Texts[Count].Frame = EndMarkerFrame;
  Texts[Count].Text.clear();
  Texts[Count].Next = 0;
  Texts[Count].End = 0;
  Texts[Count - 1].Next = Count;

  if (FDroppedEntries > 0 && LogProc)
    LogProc("Too many subtitles: " + std::to_string(FDroppedEntries) + " dropped");
  SeekTo(0);
}

void TCaptel::ReadBlock(TLineReader &reader) {
  std::string_view opening;
  bool found = false;
  while (!found && !reader.Eof()) {
    opening = Trim(reader.ReadLine());
    found = !opening.empty() && opening.front() == '{';
  }
  // A "{" line that is the last line of the file opens nothing.
  if (!found || reader.Eof()) return;

  TFields fields(opening.substr(1));
  const std::string_view type = fields.Trimmed(1);
  if (EqualsUpperCase(type, "HEAD"))
    ReadHeadBlock(reader);
  else if (EqualsUpperCase(type, "T"))
    ReadTextBlock(reader, fields);
  else
    SkipBlock(reader);
}

void TCaptel::SkipBlock(TLineReader &reader) {
  while (!reader.Eof())
    if (TrimmedStartsWith(reader.ReadLine(), '}')) return;
}

void TCaptel::ReadHeadBlock(TLineReader &reader) {
  while (!reader.Eof()) {
    std::string_view line = Trim(reader.ReadLine());
    if (!line.empty() && line.front() == '}') return;
    if (line.empty() || line.front() == '#') continue;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    // The key is not trimmed: a blank before "=" makes it unknown. The value
    // keeps its leading blanks (TITLE and FILE keep them).
    ApplyDirective(UpperCase(line.substr(0, equals)), std::string(line.substr(equals + 1)));
  }
}

void TCaptel::ApplyDirective(const std::string &key, const std::string &value) {
  if (key == "FPS") {
    FrameRate = ReadFloat(value).Value;
    FrameRateGiven = true;
  } else if (key == "TITLE") {
    Title = value;
  } else if (key == "FILE") {
    VideoFiles = new TTryFile{value, VideoFiles};
  } else if (key == "CODEPAGE") {
    TNumberRead<int32_t> number = ReadInteger(value);
    ClassifyCodePage(value, number.Value, number.Clean);
  } else if (key == "KEEPAHEAD") {
    KeepAhead = ReadInteger(value).Value;
  }
}

void TCaptel::ReadTextBlock(TLineReader &reader, const TFields &fields) {
  if (Count >= MaxEntries) {
    // No room left for the entry: its block is read past all the same, and
    // the total is reported once the file is loaded.
    ++FDroppedEntries;
    if (!TrimmedStartsWith(reader.ReadLine(), '}')) SkipBlock(reader);
    return;
  }

  ++Count;
  TText &entry = Texts[Count];
  const std::string_view frameField = fields.Trimmed(2);
  TNumberRead<int32_t> frame = ReadInteger(frameField);
  entry.Frame = static_cast<uint32_t>(frame.Value);
  if (!frame.Clean) {
    if (LogProc) LogProc("Bad frame number: " + std::string(frameField));
    entry.Frame = Texts[Count - 1].Frame;
  }
  Texts[Count - 1].Next = Count;
  entry.Next = 0;
  entry.End = 0;

  std::string_view text = reader.ReadLine();
  if (TrimmedStartsWith(text, '}')) {
    entry.Text.clear();
    return;
  }
  entry.Text.assign(text);
  SkipBlock(reader);
}
