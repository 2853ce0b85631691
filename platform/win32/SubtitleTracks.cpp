// The Windows build does not look inside videos for subtitle tracks.
#include "platform/SubtitleTracks.h"

TSubtitleTrack ReadSubtitleTrack(const std::string &) { return {}; }
