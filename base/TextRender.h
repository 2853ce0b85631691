// Turns a line of imported UTF-8 text, with its style marker bytes, into the
// UTF-8 that goes out: for a screen or for a file.
#pragma once

#include <string>

// For a screen: markers become italic and bold SGR sequences (`sgr`) or are
// dropped, every style is ended at the line's end, a TAB becomes a space, and
// other control characters become "?" so a subtitle cannot send the terminal
// commands. For a file (`screen` false): the markers are dropped and the rest
// passes. Either way a byte that is not valid UTF-8 becomes "?".
std::string RenderText(const std::string &utf8, bool screen, bool sgr);

// A control character, which a screen shows as one column: "?" (or a space
// for a TAB). The layout counts it so.
inline bool IsControlCharacter(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code < 0xA0);
}
