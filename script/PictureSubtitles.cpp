// Picture subtitle files, known by their openings: a VobSub .sub is an MPEG
// program stream, which opens with a pack header; its .idx is a text whose
// first line names it.
#include "script/PictureSubtitles.h"

#include "base/Ascii.h"

namespace {

// The start code of an MPEG pack header.
constexpr std::string_view PackHeader("\x00\x00\x01\xBA", 4);

// The opening of a VobSub index: "# VobSub index file, v7 (do not modify
// this line!)".
constexpr std::string_view IndexLine = "# VobSub index file";

bool IsVobSubIndex(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return StartsWithNoCase(bytes, IndexLine);
}

} // namespace

const char *PictureSubtitleFormat(std::string_view bytes) {
  if (StartsWith(bytes, PackHeader) || IsVobSubIndex(bytes)) return "VobSub";
  return nullptr;
}
