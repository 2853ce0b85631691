// Text subtitle tracks inside a video, as documents the readers load: the
// track read through the platform, taken when a format's row serves its
// codec, and written by that format. And the pieces the writers share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/SubtitleTracks.h"

// Whether a row of the format table serves the codec of this name.
bool IsTrackCodec(std::string_view codec);

// The track's document, by the format that serves its codec; empty for a
// codec none serves.
std::string TrackDocument(const TSubtitleTrack &track);

// The first text track of a video with its document written.
TSubtitleTrack ReadTrackDocument(const std::string &videoPath);

// A cue time "hh:mm:ss" with `fraction` before the milliseconds (three
// digits) or hundredths (two, the hours then unpadded).
std::string TrackTime(int64_t ms, char fraction, int digits);

// A cue's text as lines each ended by LF, without empty ones, which would
// end the cue in SubRip and WebVTT; empty when no line has text.
std::string TrackCueLines(const std::string &text);
