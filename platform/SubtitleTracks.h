// Subtitle tracks inside a video file: the first text track, as a subtitle
// document the readers load (SubRip, WebVTT or SubStation).
#pragma once

#include <string>

struct TSubtitleTrack {
  enum TKind {
    tkUnsupported, // this build cannot look inside videos
    tkNone,        // no subtitle track, or the file could not be read
    tkText,        // Document holds the first text track
    tkBitmap,      // only picture subtitles (PGS, VobSub): nothing to show as text
  };
  TKind Kind = tkUnsupported;
  int Index = -1;    // the track's stream number in the file
  std::string Codec; // the track's codec name, as the demuxer names it
  std::string Document;
};

TSubtitleTrack ReadSubtitleTrack(const std::string &videoPath);
