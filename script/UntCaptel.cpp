// TCaptel: construction and destruction, the video file search, the playback
// cursor over the subtitle table, and the code-page handling of texts.
#include "script/UntCaptel.h"

#include "base/Int32.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "script/ScriptText.h"

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

int64_t TCaptel::TargetOf(double frames, double seconds) const {
  int32_t n = SaturateToInt32(frames);
  if (n == 0) n = SaturateToInt32(seconds * FrameRate);
  return static_cast<int64_t>(n) + KeepAhead;
}

double TCaptel::PositionDue(uint32_t frame) const { return static_cast<double>(frame) - KeepAhead; }

bool TCaptel::NextPending(uint32_t &frame) const {
  frame = Texts[NextIndex].Frame;
  return !IsListEnd(NextIndex);
}

bool TCaptel::LatestDue(uint32_t &frame) const {
  bool found = false;
  for (uint16_t i = NextIndex; !IsListEnd(i) && Texts[i].Frame <= CursorFrame; i = Texts[i].Next) {
    frame = Texts[i].Frame;
    found = true;
  }
  return found;
}

bool TCaptel::InEffect(const TText &entry, uint32_t latestDue) const {
  return entry.End != 0 ? entry.End > CursorFrame : entry.Frame == latestDue;
}

void TCaptel::AdvanceTo(double frames, double seconds) {
  // The cursor is unsigned: a position pulled below 0 by a negative KeepAhead
  // stays at 0 instead of wrapping to a frame above every entry.
  int64_t target = TargetOf(frames, seconds);
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
  entry.End = Texts[i].End;
  // The end marker is never due, whatever the cursor: stepping past it would
  // lead back to the head entry and round the list forever.
  if (IsListEnd(i) || Texts[i].Frame > CursorFrame) return false;
  NextIndex = Texts[i].Next;
  return true;
}

void TCaptel::ClassifyCodePage(const std::string &valueText, int32_t number, bool readCleanly) {
  CodePage = number;
  TCodePageKind kind;
  if (readCleanly) {
    const int64_t value = number;
    if (value == 850 || value == 852 || value == 437 || value == FCodePages.GetOEMCP())
      kind = cpkOEM;
    else if (value == 1250 || value == 1252 || value == 1200 || value == FCodePages.GetACP())
      kind = cpkANSI;
    else
      kind = cpkOther;
  } else {
    if (EqualsUpperCase(valueText, "ANSI")) {
      CodePage = static_cast<int32_t>(FCodePages.GetACP());
      kind = cpkANSI;
    } else {
      CodePage = static_cast<int32_t>(FCodePages.GetOEMCP());
      kind = cpkOEM;
    }
  }
  ScriptCodePageKind = kind;
}

// The whole text is translated, NUL bytes and all: a subtitle is never cut.
std::string TCaptel::ConvertForConsole(const std::string &storedText) {
  if (ScriptCodePageKind == cpkOEM && ConsoleCodePageKind == cpkANSI)
    return FCodePages.OemToChar(storedText);
  if (ScriptCodePageKind == cpkANSI && ConsoleCodePageKind == cpkOEM)
    return FCodePages.CharToOem(storedText);
  return storedText;
}
