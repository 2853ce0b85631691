// The subtitle formats cuestrip imports: recognised by their content, read
// into cues.
#pragma once

#include <string_view>

#include "script/Cues.h"

enum class TSubtitleFormat { None, SubRip, WebVtt, SubStation, MicroDvd };

// The format of a UTF-8 (or ASCII-compatible) text; None for anything else,
// and always for a text with the blocks of a native script.
TSubtitleFormat DetectSubtitleFormat(std::string_view text);

// Each reader appends the cues of a UTF-8 text to `cues`, in file order.
void ReadSubRip(std::string_view text, TCueList &cues);
void ReadWebVtt(std::string_view text, TCueList &cues);
void ReadSubStation(std::string_view text, TCueList &cues);
void ReadMicroDvd(std::string_view text, TCueList &cues);
void ReadSubtitles(TSubtitleFormat format, std::string_view text, TCueList &cues);

// True when a (trimmed) line begins "{n}{n}" or "{n}{}" and has text after.
bool IsMicroDvdLine(std::string_view line);
