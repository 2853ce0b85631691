// What a whole-file read refuses on every platform: a name that is no plain
// file (a device, a pipe), and a file too large to be a script or subtitles.
#pragma once

#include <cstddef>
#include <string>

#include "base/Errors.h"

// The most bytes a script or subtitle file may hold; the largest real ones
// are a few megabytes, and a larger file would only fill memory.
constexpr size_t MaxScriptFileBytes = size_t(64) << 20;

// "NAME is KIND, not a file", with the access-denied number (5).
EInOutError NotAFileError(const std::string &name, const char *kind);
// "NAME is larger than 64 MB: not a subtitle file", with the number of the
// system's "file too large" (223).
EInOutError TooLargeError(const std::string &name);
