// Telling a video file from a subtitle file by its first bytes, and finding
// the subtitle file that sits beside a video under the same base name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class IFileSystem;

// How many bytes of a file LooksLikeVideo wants to see.
constexpr size_t VideoSniffBytes = 400;

// True when the bytes open a video container (Matroska/WebM, MP4/QuickTime,
// AVI, Ogg, FLV, ASF/WMV, MPEG program or transport stream). No text file
// starts like these, so a script or subtitle file is never taken for one.
bool LooksLikeVideo(std::string_view head);

// LooksLikeVideo on a file's first bytes; false when it cannot be read.
bool FileLooksLikeVideo(IFileSystem &files, const std::string &path);

struct TSubtitleLookup {
  std::string Found;                 // the path taken, or empty
  std::vector<std::string> Patterns; // the names looked for, for the message
};

// Looks beside `videoPath` for BASE.EXT, then for BASE.TAG.EXT (a language
// tag such as "en"), EXT each extension of the format table
// (script/SubtitleFormats.h) in its order; among tagged
// names of one extension the first by name wins. Names compare without
// regard to ASCII case.
TSubtitleLookup FindSubtitleBeside(IFileSystem &files, const std::string &videoPath);
