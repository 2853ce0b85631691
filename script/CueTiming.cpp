// Clock times and timing lines of the subtitle formats.
#include "script/CueTiming.h"

#include "script/ScriptText.h"
#include "script/TextLines.h"

namespace {

// The next ":"-separated part of `text`, removed from it.
std::string_view TakePart(std::string_view &text) {
  const size_t colon = text.find(':');
  std::string_view part = text.substr(0, colon);
  text = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
  return part;
}

bool ReadSmall(std::string_view text, size_t maxDigits, uint32_t limit, uint32_t &value) {
  return text.size() <= maxDigits && ReadDigits(text, value) && value < limit;
}

} // namespace

bool ReadClockTime(std::string_view text, uint32_t &milliseconds) {
  std::string_view parts[3];
  int count = 0;
  while (!text.empty() && count < 3)
    parts[count++] = TakePart(text);
  if (!text.empty() || count < 2) return false;

  std::string_view seconds = parts[count - 1], fraction;
  const size_t point = seconds.find_first_of(".,");
  if (point != std::string_view::npos) {
    fraction = seconds.substr(point + 1);
    seconds = seconds.substr(0, point);
    if (fraction.empty() || fraction.size() > 9 || !IsDigits(fraction)) return false;
  }
  uint32_t hours = 0, minutes = 0, secs = 0;
  if (count == 3 && !(ReadDigits(parts[0], hours) && hours <= MaxCueHours)) return false;
  const uint32_t minuteLimit = count == 3 ? 60 : (MaxCueHours + 1) * 60;
  if (!ReadSmall(parts[count - 2], count == 3 ? 2 : 4, minuteLimit, minutes)) return false;
  if (!ReadSmall(seconds, 2, 60, secs)) return false;

  uint32_t thousandths = 0;
  for (size_t i = 0; i < 3; ++i)
    thousandths = thousandths * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
  milliseconds = ((hours * 60 + minutes) * 60 + secs) * 1000 + thousandths;
  return true;
}

bool ReadTimingLine(std::string_view line, uint32_t &start, uint32_t &end) {
  const size_t arrow = line.find("-->");
  if (arrow == std::string_view::npos) return false;
  std::string_view after = Trim(line.substr(arrow + 3));
  size_t endOfEnd = 0;
  while (endOfEnd < after.size() && static_cast<unsigned char>(after[endOfEnd]) > 0x20)
    ++endOfEnd;
  return ReadClockTime(Trim(line.substr(0, arrow)), start) &&
         ReadClockTime(after.substr(0, endOfEnd), end);
}
