// Style markers kept inside the UTF-8 text of imported subtitles: the
// readers turn italic and bold markup into these bytes, and the output turns
// them into terminal styles or drops them. No other control byte is stored.
#pragma once

namespace TextStyle {

constexpr char ItalicOn = '\x0E';
constexpr char ItalicOff = '\x0F';
constexpr char BoldOn = '\x11';
constexpr char BoldOff = '\x12';

// True for the four marker bytes.
constexpr bool IsMarker(char c) {
  return c == ItalicOn || c == ItalicOff || c == BoldOn || c == BoldOff;
}

} // namespace TextStyle
