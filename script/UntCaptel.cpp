// TCaptel: construction and destruction, the video file search, the playback
// cursor over the subtitle table, and the code-page handling of texts.
#include "script/UntCaptel.h"

#include <cmath>
#include <limits>

#include "platform/CodePages.h"
#include "platform/Files.h"
#include "script/ScriptText.h"

namespace {

// Truncates toward zero; NaN gives 0 and values beyond 32 bits saturate, so a
// wild player position cannot reach undefined behaviour.
int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

} // namespace

TCaptel::TCaptel(TLogProc logProc)
    : TCaptel(std::move(logProc), PlatformCodePages(), PlatformFiles()) {}

TCaptel::TCaptel(TLogProc logProc, ICodePages &codePages, IFileSystem &files)
    : LogProc(std::move(logProc)), FCodePages(codePages), FFiles(files) {}

TCaptel::~TCaptel() {
  while (VideoFiles) {
    TTryFile *next = VideoFiles->Next;
    delete VideoFiles;
    VideoFiles = next;
  }
}

void TCaptel::FindVideoFile(std::string &name) {
  for (TTryFile *node = VideoFiles; node; node = node->Next) {
    if (FFiles.FileExists(node->FileName)) {
      name = node->FileName;
      return;
    }
  }
  name.clear();
}

bool TCaptel::IsListEnd(uint16_t index) const { return index == 0 || index == Count; }

void TCaptel::SeekTo(uint32_t frame) {
  CursorFrame = frame;
  SeekIndex = Texts[0].Next;
  while (!IsListEnd(SeekIndex) && Texts[SeekIndex].Frame < CursorFrame)
    SeekIndex = Texts[SeekIndex].Next;
  NextIndex = SeekIndex;
}

void TCaptel::AdvanceTo(double frames, double seconds) {
  int32_t n = TruncateToInt32(frames);
  if (n == 0) n = TruncateToInt32(seconds * FrameRate);
  // The cursor is unsigned: a position pulled below 0 by a negative KeepAhead
  // stays at 0 instead of wrapping to a frame above every entry.
  int64_t target = static_cast<int64_t>(n) + KeepAhead;
  if (target < 0) target = 0;
  if (target < static_cast<int64_t>(CursorFrame))
    SeekTo(static_cast<uint32_t>(target));
  else
    CursorFrame = static_cast<uint32_t>(target);
}

bool TCaptel::NextDue(TText &entry) {
  uint16_t i = NextIndex;
  entry.Frame = Texts[i].Frame;
  entry.Text = ConvertForConsole(Texts[i].Text);
  // The end marker is never due, whatever the cursor: stepping past it would
  // lead back to the head entry and round the list forever.
  if (IsListEnd(i) || Texts[i].Frame > CursorFrame) return false;
  NextIndex = Texts[i].Next;
  return true;
}

void TCaptel::ClassifyCodePage(const std::string &valueText, int32_t number, bool readCleanly) {
  CodePage = number;
  int32_t kind;
  if (readCleanly) {
    const int64_t value = number;
    if (value == 850 || value == 852 || value == 437 || value == FCodePages.GetOEMCP())
      kind = 1;
    else if (value == 1250 || value == 1252 || value == 1200 || value == FCodePages.GetACP())
      kind = 2;
    else
      kind = 0;
  } else {
    if (EqualsUpperCase(valueText, "ANSI")) {
      CodePage = static_cast<int32_t>(FCodePages.GetACP());
      kind = 2;
    } else {
      CodePage = static_cast<int32_t>(FCodePages.GetOEMCP());
      kind = 1;
    }
  }
  ScriptCodePageKind = kind;
}

// The whole text is translated, NUL bytes and all: a subtitle is never cut.
std::string TCaptel::ConvertForConsole(const std::string &storedText) {
  if (ScriptCodePageKind == 1 && ConsoleCodePageKind == 2) return FCodePages.OemToChar(storedText);
  if (ScriptCodePageKind == 2 && ConsoleCodePageKind == 1) return FCodePages.CharToOem(storedText);
  return storedText;
}
