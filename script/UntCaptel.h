// The loaded subtitle script: header values, the fixed table of timed
// entries with its playback cursor, and the code-page conversion of texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Which of the system's two character sets a text is in.
enum TCodePageKind : int32_t { cpkOther = 0, cpkOEM = 1, cpkANSI = 2 };

class ICodePages;
class IFileSystem;
class TLineReader;
class TFields;
struct TCueList;

using TLogProc = std::function<void(const std::string &)>;

// One subtitle entry; also the record that NextDue fills.
struct TText {
  uint32_t Frame = 0;
  std::string Text;
  uint16_t Next = 0;
  // Where an imported cue stops being shown, in the units of Frame; 0 when
  // not known (native scripts, cues whose file gives no end).
  uint32_t End = 0;
};

// One node of the FILE list, newest first.
struct TTryFile {
  std::string FileName;
  TTryFile *Next = nullptr;
};

class TCaptel {
public:
  static constexpr int TableSlots = 10001;
  static constexpr uint32_t EndMarkerFrame = 1000000;

  TCaptel(TLogProc logProc, ICodePages &codePages, IFileSystem &files);
  ~TCaptel();
  TCaptel(const TCaptel &) = delete;
  TCaptel &operator=(const TCaptel &) = delete;

  // Loads a subtitle file: one in an imported format (see ImportSubtitles),
  // else a native script. A file of pictures (VobSub) is named in
  // PictureFormat and leaves the table empty.
  void LoadFromFile(const std::string &fileName);
  // Loads subtitles in one of the imported formats (SubRip, WebVTT,
  // SubStation, MicroDVD) from their bytes, named `sourceName` in messages.
  // False, with nothing changed, when the bytes are in none of them.
  bool ImportSubtitles(const std::string &bytes, const std::string &sourceName);
  void FindVideoFile(std::string &name);
  void SeekTo(uint32_t frame);
  void AdvanceTo(double frames, double seconds);
  bool NextDue(TText &entry);
  // The frame AdvanceTo would move the cursor to, before it is kept at 0 or
  // above: below 0 when the position plus KeepAhead is.
  int64_t TargetOf(double frames, double seconds) const;
  // The least position at which an entry at `frame` is due: TargetOf's
  // inverse, so the two change together.
  double PositionDue(uint32_t frame) const;
  // The frame of the entry NextDue hands out next; false at the end of the
  // list, where nothing is ever due.
  bool NextPending(uint32_t &frame) const;
  // The frame of the last entry due at the cursor that NextDue has still to
  // hand out; false when none is due.
  bool LatestDue(uint32_t &frame) const;
  // Whether an entry NextDue handed out is still on screen at the cursor: a
  // cue with a known end until that end; one without, when it is among the
  // latest due (`latestDue` from LatestDue), as nothing has replaced it.
  bool InEffect(const TText &entry, uint32_t latestDue) const;

  // Sets CodePage and ScriptCodePageKind from a CODEPAGE value.
  void ClassifyCodePage(const std::string &valueText, int32_t number, bool readCleanly);
  // The stored text as the console should get it.
  std::string ConvertForConsole(const std::string &storedText);

  std::string ScriptFileName;
  uint32_t CursorFrame = 0;
  uint16_t SeekIndex = 0;
  uint16_t NextIndex = 0;
  int32_t KeepAhead = 0;
  int32_t CodePage = 0;
  TCodePageKind ScriptCodePageKind = cpkOther;
  TCodePageKind ConsoleCodePageKind = cpkOther;
  double FrameRate = 0;
  // True when the script names its frame rate (FPS) rather than taking 25.
  bool FrameRateGiven = false;
  double LastFrame = 0;
  std::string Title;
  TTryFile *VideoFiles = nullptr;
  uint16_t Count = 0;
  TText Texts[TableSlots];
  TLogProc LogProc;
  // True when the table holds UTF-8 text from an imported subtitle format,
  // with the style markers of script/TextStyle.h; native scripts leave it
  // false and their bytes are shown as they are.
  bool UnicodeText = false;
  // True when the table's frames are milliseconds and FrameRate is 1000:
  // imported formats timed by the clock. Players then report milliseconds.
  bool TimesInMilliseconds = false;
  // The picture subtitle format of the file loaded ("VobSub"), which cannot
  // be shown as text; empty for a file of text.
  std::string PictureFormat;
  // The code page of an imported file that declares no encoding and is not
  // UTF-8 (a number or a name); empty to guess.
  std::string SubtitleCodePage;

  // Subtitle entries the table has room for; the end marker takes one more.
  static constexpr int MaxEntries = TableSlots - 2;

private:
  void ReadBlock(TLineReader &reader);
  void ReadHeadBlock(TLineReader &reader);
  void ApplyDirective(const std::string &key, const std::string &value);
  void ReadTextBlock(TLineReader &reader, const TFields &fields);
  static void SkipBlock(TLineReader &reader);
  void FillTable(TCueList &cues);
  void ReportBadLines(const std::vector<size_t> &lines);
  // Places the end marker after the last entry, sets LastFrame, reports the
  // entries that found no room and puts the cursor at the start.
  void CloseTable();
  // True when slot `index` is the end of the list: the end marker, or slot 0
  // before anything was loaded.
  bool IsListEnd(uint16_t index) const;

  ICodePages &FCodePages;
  IFileSystem &FFiles;
  // T blocks beyond the table's room, counted while loading.
  int FDroppedEntries = 0;
};
