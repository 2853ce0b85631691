// Subtitle output: the speaker column and word wrapping of one entry, and the
// plain log line.
#include "driver/Driver.h"

namespace {

constexpr int32_t SpeakerColumnWidth = 13;
constexpr int32_t DefaultLineWidth = 79;
const char SpeakerSeparator[] = ":\t";

} // namespace

void TDriver::WriteSubtitle(const TText &entry) {
  const std::string &text = entry.Text;
  // The console preparation keeps the width positive; should a bad one slip
  // through, the layout uses the default rather than lose its footing.
  const size_t width =
      static_cast<size_t>(Settings.LineWidth > 0 ? Settings.LineWidth : DefaultLineWidth);
  std::string line;
  size_t i = 0; // 0-based start of the next word
  const size_t colon = text.find(SpeakerSeparator);
  if (colon != std::string::npos) {
    line.assign(text, 0, colon + 1);
    line += ' ';
    if (SpeakerColumn == 0) SpeakerColumn = SpeakerColumnWidth;
    i = colon + 2;
  }
  const size_t column = static_cast<size_t>(SpeakerColumn);
  if (line.size() < column) line.append(column - line.size(), ' ');

  while (i < text.size()) {
    size_t j = text.find(' ', i);
    if (j == std::string::npos) j = text.size();
    const size_t k = j - i;
    if (line.size() + k <= width) {
      line.append(text, i, k);
      if (line.size() < width) line += ' ';
      i = j + 1;
    } else if (k + column <= width) {
      Services.Output.WriteLine(line);
      line.assign(column, ' ');
    } else if (line.size() < width) {
      const size_t n = width - line.size();
      line.append(text, i, n);
      i += n;
    } else if (line.size() > column) {
      // No room left to split into: the full line goes out and the word
      // carries on on a continuation line.
      Services.Output.WriteLine(line);
      line.assign(column, ' ');
    } else {
      // Not even a fresh continuation line has room (the width is not above
      // the speaker column): the word stands whole on this line.
      line.append(text, i, k);
      i = j + 1;
    }
  }
  Services.Output.WriteLine(line);
}

void TDriver::WriteLogLine(const std::string &message) { Services.Output.WriteLine(message); }
