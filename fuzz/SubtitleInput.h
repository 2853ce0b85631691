// One fuzz input for the subtitle importer: the bytes imported as a subtitle
// file (whatever format they are recognised as), the table checked and
// drained, then the same text through every reader of the format table with
// its output checked, and no text claimed by two formats' probes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/TextStyle.h"
#include "base/Utf8.h"
#include "fake/FakeCodePages.h"
#include "fake/FakeFiles.h"
#include "script/SubtitleFormats.h"
#include "script/UntCaptel.h"

namespace fuzzinput {

// What is wrong with a finished text: it must be UTF-8 whose only control
// bytes are the style markers, each style closed again by the end.
inline std::string TextFault(const std::string &text) {
  bool italic = false, bold = false;
  for (size_t i = 0; i < text.size();) {
    const size_t length = Utf8SequenceLength(text, i);
    if (length == 0) return "invalid UTF-8 at byte " + std::to_string(i);
    const char c = text[i];
    if (c == TextStyle::ItalicOn || c == TextStyle::ItalicOff) {
      if (italic == (c == TextStyle::ItalicOn)) return "italic switched twice";
      italic = !italic;
    } else if (c == TextStyle::BoldOn || c == TextStyle::BoldOff) {
      if (bold == (c == TextStyle::BoldOn)) return "bold switched twice";
      bold = !bold;
    } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
      return "control byte " + std::to_string(static_cast<int>(c));
    }
    i += length;
  }
  return italic || bold ? "a style left open" : "";
}

inline std::string RunSubtitles(const uint8_t *data, size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  TFakeFiles files;
  TFakeCodePages codePages;
  auto script = std::make_unique<TCaptel>([](const std::string &) {}, codePages, files);
  script->SubtitleCodePage = size > 0 && data[0] & 1 ? "cp1250" : "";
  if (script->ImportSubtitles(bytes, "fuzz.srt")) {
    if (script->Count < 1 || script->Count >= TCaptel::TableSlots)
      return "entry count out of range: " + std::to_string(script->Count);
    for (uint16_t i = 1; i < script->Count; ++i) {
      if (script->Texts[i].Frame < script->Texts[i - 1].Frame && i > 1)
        return "entries out of order at slot " + std::to_string(i);
      const std::string fault = TextFault(script->Texts[i].Text);
      if (!fault.empty()) return "slot " + std::to_string(i) + ": " + fault;
    }
    script->SeekTo(0);
    script->AdvanceTo(script->LastFrame, 0);
    TText entry;
    int handedOut = 0;
    while (script->NextDue(entry))
      if (++handedOut > TCaptel::TableSlots) return "the drain does not end";
    if (handedOut != script->Count - 1) return "the screenplay drain missed entries";
  }

  // Every reader, whatever the detection said, on the text as UTF-8.
  size_t replaced = 0;
  const std::string text = RepairUtf8(bytes, replaced);
  // The probes claim disjoint openings, so the table's order never decides.
  const TSubtitleOpening opening = ReadOpening(text);
  const TSubtitleFormatRow *claimed = nullptr;
  for (const TSubtitleFormatRow *format : SubtitleFormats()) {
    if (format->Probe(opening)) {
      if (claimed) return std::string("claimed by ") + claimed->Name + " and " + format->Name;
      claimed = format;
    }
  }
  for (const TSubtitleFormatRow *format : SubtitleFormats()) {
    TCueList cues;
    format->Read(text, cues);
    size_t lines = 0;
    for (const TCue &cue : cues.Cues) {
      if (cue.LineCount == 0 || cue.FirstLine != lines) return "cues and lines do not match";
      lines += cue.LineCount;
    }
    if (lines != cues.Lines.size()) return "lines outside any cue";
    for (const TCueLine &line : cues.Lines) {
      if (line.Text.empty()) return "an empty line";
      std::string fault = TextFault(line.Text);
      if (fault.empty()) fault = TextFault(line.Speaker);
      if (fault.empty() && line.Speaker.find_first_of("\t\x0E\x0F\x11\x12") != std::string::npos)
        fault = "a speaker with a TAB or a marker";
      if (!fault.empty()) return fault;
    }
  }
  return "";
}

} // namespace fuzzinput
