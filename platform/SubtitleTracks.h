// Subtitle tracks inside a video file: the first track of a text codec the
// caller takes, as its cues with their times and text. Which codecs are text
// and what document a track becomes is the caller's (script/TrackDocuments.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One packet of a text track: its times and the text it carries.
struct TTrackCue {
  int64_t StartMs = 0;
  int64_t EndMs = 0; // settled: the packet's own, else the next start, else 5 s on
  std::string Text;  // as the codec stores it (a SubStation event's fields)
};

struct TSubtitleTrack {
  enum TKind {
    tkUnsupported, // this build cannot look inside videos
    tkNone,        // no subtitle track, or the file could not be read
    tkText,        // Cues hold the first text track
    tkBitmap,      // only picture subtitles (PGS, VobSub): nothing to show as text
  };
  TKind Kind = tkUnsupported;
  int Index = -1;    // the track's stream number in the file
  std::string Codec; // the track's codec name, as the demuxer names it
  // The track as a subtitle document the readers load; the platform leaves
  // it empty, and the format that serves the codec writes it.
  std::string Document;
  // Given defaults, so a track may be written with its first fields alone.
  std::string Header = {};          // the codec's private data (a SubStation header)
  std::vector<TTrackCue> Cues = {}; // in order of their start
};

// Whether a subtitle codec, by the name the demuxer gives it ("subrip",
// "ass"), is one whose packets are text the caller can read.
using TTextCodecTest = bool (*)(std::string_view codec);

TSubtitleTrack ReadSubtitleTrack(const std::string &videoPath, TTextCodecTest isTextCodec);
