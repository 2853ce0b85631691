// The fuzz targets by name, each with the routine that runs one of its
// inputs; the unit tests replay the kept inputs of fuzz/regressions/<name>.
#pragma once

#include "fuzz/FollowInput.h"
#include "fuzz/MpcInput.h"
#include "fuzz/ScriptInput.h"
#include "fuzz/SubtitleInput.h"
#include "fuzz/VlcInput.h"

struct TFuzzTarget {
  const char *Name;
  std::string (*Run)(const uint8_t *data, size_t size); // what went wrong, or ""
};

inline const TFuzzTarget FuzzTargets[] = {
    {"fuzz_script", fuzzinput::RunScript}, {"fuzz_subtitles", fuzzinput::RunSubtitles},
    {"fuzz_follow", fuzzinput::RunFollow}, {"fuzz_vlc", fuzzinput::RunVlc},
    {"fuzz_mpc", fuzzinput::RunMpc},
};
