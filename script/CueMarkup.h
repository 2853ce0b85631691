// The markup helpers every format's reader shares: copying text bytes,
// finding a block's end, the override tags of SubStation (which SubRip lines
// carry too), and the finishing of a cue's lines. Each format's own markup
// is in its file (script/SubRipFormat.cpp and the others).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/Cues.h"

// Copies one byte of cue text. Control bytes are dropped here, so the only
// control bytes that reach the finished text are the markers markup makes;
// a TAB becomes a space, since ":" and a TAB would mark a speaker.
void AppendTextByte(std::string &out, char c);

// The index of the `closing` byte that closes the block opening at `open`,
// or npos when another opening byte or the end comes first (then the opening
// byte is an ordinary one). Stopping at the next opening keeps a line of
// unclosed braces linear.
size_t ClosingIndex(std::string_view text, size_t open, char closing);

// A letter of a markup name, as the C library tells letters (the ASCII ones
// in the C and UTF-8 locales).
bool IsLetter(char c);

// The override tags of one "{...}" block: \i and \b give style markers, \r
// resets both, \p sets the drawing scale (text is a drawing while it is
// above 0).
void ApplyOverrides(std::string_view block, std::string &out, uint32_t &drawing);

// A cue's lines, lines[first] onwards, made fit to show: styles closed at the
// end of each line and opened again at the start of the next, control
// characters dropped (a TAB becomes a space), blanks trimmed, and lines left
// empty removed.
void FinishCueLines(std::vector<TCueLine> &lines, size_t first);
