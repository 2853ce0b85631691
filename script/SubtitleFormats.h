// The subtitle formats cuestrip imports, one row each: the extensions its
// files have beside a video, the probe that knows its content, its reader,
// and the codecs of the text tracks inside videos it writes documents for.
// Each format's file (script/SubRipFormat.cpp and the others) defines its
// row; a new format is one such file and its row in the table
// (script/SubtitleFormats.cpp).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "script/Cues.h"

struct TSubtitleTrack;

// The opening of a text, read once for every probe.
struct TSubtitleOpening {
  std::string_view Text;         // the whole text
  std::string_view First;        // the first line that is not blank, trimmed
  std::string_view Second;       // the line after it, as it stands
  std::string_view FirstSection; // the first line neither blank nor a ";" comment, trimmed
};

struct TSubtitleFormatRow {
  const char *Name;
  // Extensions without the dot, in order of preference, for the look-up
  // beside a video.
  std::span<const char *const> Extensions;
  // True when the opening is one of this format. The probes claim disjoint
  // openings (each wants its own first byte: a digit for SubRip, "WEBVTT",
  // "[" or ";" for SubStation, "{" for MicroDVD), so no row's place in the
  // table decides a detection; the table's test and the fuzz target hold
  // them to that.
  bool (*Probe)(const TSubtitleOpening &opening);
  // Appends the cues of a UTF-8 text, in file order.
  void (*Read)(std::string_view text, TCueList &cues);
  // The codec names (as the demuxer names them) of text tracks written as a
  // document of this format, and the writer; none, and null, for a format
  // no video carries.
  std::span<const char *const> TrackCodecs;
  std::string (*WriteTrack)(const TSubtitleTrack &track);
};

// Every row, in the look-up's order of extensions.
std::span<const TSubtitleFormatRow *const> SubtitleFormats();

// The format of a UTF-8 (or ASCII-compatible) text, or null for anything
// else, and always for a text with the blocks of a native script.
const TSubtitleFormatRow *DetectSubtitleFormat(std::string_view text);

// The opening the probes look at.
TSubtitleOpening ReadOpening(std::string_view text);
