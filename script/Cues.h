// What the subtitle readers produce: cues with their start and their lines,
// before they become entries of the script's table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TCueLine {
  std::string Speaker; // empty when the line names none
  std::string Text;    // UTF-8 with the style markers of script/TextStyle.h
};

// A cue's lines are Lines[FirstLine] onwards in its list: one vector for all
// lines keeps reading free of allocations per cue.
struct TCue {
  uint32_t Start = 0; // milliseconds, or frames for frame-numbered formats
  uint32_t End = 0;   // in the same units; 0 when the file gives none
  uint32_t FirstLine = 0;
  uint32_t LineCount = 0;
};

struct TCueList {
  std::vector<TCue> Cues;
  std::vector<TCueLine> Lines;
  // Lines whose timing could not be read, numbered from 1; their cues are
  // left out.
  std::vector<size_t> BadLines;
  std::string Title;     // empty when the file names none
  bool InFrames = false; // starts count video frames, not milliseconds
  double FrameRate = 0;  // frames per second the file declares, 0 if none

  // Ends a cue from `start` to `end` whose lines, as read, are
  // Lines[firstLine] to the last one: they are finished (see
  // FinishCueLines), and the cue is kept when any line is left.
  void EndCue(uint32_t start, uint32_t end, size_t firstLine);
};
