// Embedded text tracks made documents by the format table's writers.
#include "script/TrackDocuments.h"

#include <cstdio>

#include "script/SubtitleFormats.h"

namespace {

const TSubtitleFormatRow *TrackFormat(std::string_view codec) {
  for (const TSubtitleFormatRow *row : SubtitleFormats())
    for (const char *name : row->TrackCodecs)
      if (codec == name) return row;
  return nullptr;
}

} // namespace

bool IsTrackCodec(std::string_view codec) { return TrackFormat(codec) != nullptr; }

std::string TrackDocument(const TSubtitleTrack &track) {
  const TSubtitleFormatRow *row = TrackFormat(track.Codec);
  return row ? row->WriteTrack(track) : std::string();
}

TSubtitleTrack ReadTrackDocument(const std::string &videoPath) {
  TSubtitleTrack track = ReadSubtitleTrack(videoPath, IsTrackCodec);
  if (track.Kind == TSubtitleTrack::tkText) track.Document = TrackDocument(track);
  return track;
}

std::string TrackTime(int64_t ms, char fraction, int digits) {
  if (ms < 0) ms = 0;
  char text[40];
  const long long h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60;
  const long long part = digits == 3 ? ms % 1000 : ms % 1000 / 10;
  std::snprintf(text, sizeof text,
                digits == 3 ? "%02lld:%02lld:%02lld%c%03lld" : "%lld:%02lld:%02lld%c%02lld", h, m,
                s, fraction, part);
  return text;
}

std::string TrackCueLines(const std::string &text) {
  std::string result;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) result += line + "\n";
    start = end + 1;
  }
  return result;
}
