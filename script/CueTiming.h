// Cue times: clock times such as "01:02:03,456", "02:03.456" or "1:02:03.45"
// in milliseconds, and "start --> end" timing lines.
#pragma once

#include <cstdint>
#include <string_view>

// Hours above this are taken for a broken time, not a film four days long.
constexpr uint32_t MaxCueHours = 99;

// "[h:]m:s[.f]" with "," or "." before the fraction, which counts as a
// decimal fraction of a second (".5" is 500 ms; digits past the third are
// dropped). Minutes and seconds below 60 (minutes without hours up to 5999).
bool ReadClockTime(std::string_view text, uint32_t &milliseconds);

// The times of a timing line "start --> end" with anything after the end
// time (cue settings, coordinates). False unless both times read.
bool ReadTimingLine(std::string_view line, uint32_t &start, uint32_t &end);
