// Subtitle files of pictures, which no text can be read from: recognised so
// that the program can say what they are instead of finding no subtitles.
#pragma once

#include <string_view>

// The name of the picture subtitle format a file's bytes open with ("VobSub"
// for a VobSub .sub, an MPEG program stream, or its .idx index), or null.
const char *PictureSubtitleFormat(std::string_view bytes);
