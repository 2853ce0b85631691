// Built without libavformat: subtitle tracks inside videos cannot be read.
#include "platform/SubtitleTracks.h"

TSubtitleTrack ReadSubtitleTrack(const std::string &, TTextCodecTest) { return {}; }
