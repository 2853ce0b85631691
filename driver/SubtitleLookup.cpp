// Video sniffing and the subtitle file look-up beside a video.
#include "driver/SubtitleLookup.h"

#include <algorithm>
#include <cstring>

#include "base/Ascii.h"
#include "platform/Files.h"
#include "script/SubtitleFormats.h"

namespace {

// Whether `what` stands in `text` at offset `at`.
bool HasAt(std::string_view text, size_t at, std::string_view what) {
  return text.size() >= at + what.size() && text.compare(at, what.size(), what) == 0;
}

// MPEG transport packets: the sync byte every 188 bytes (192 for M2TS, whose
// packets carry a 4-byte time stamp first).
bool LooksLikeTransportStream(std::string_view head) {
  for (const size_t first : {size_t{0}, size_t{4}}) {
    const size_t step = first + 188;
    if (head.size() < first + 2 * step + 1) continue;
    if (head[first] == 0x47 && head[first + step] == 0x47 && head[first + 2 * step] == 0x47)
      return true;
  }
  return false;
}

} // namespace

bool LooksLikeVideo(std::string_view head) {
  using namespace std::string_view_literals;
  if (HasAt(head, 0, "\x1A\x45\xDF\xA3"sv)) return true; // EBML: Matroska, WebM
  if (HasAt(head, 4, "ftyp")) return true;               // ISO media: MP4, MOV, 3GP
  // Older QuickTime files open with another box; its size field starts with 0.
  if (!head.empty() && head[0] == 0)
    for (const char *box : {"moov", "mdat", "wide", "free", "skip"})
      if (HasAt(head, 4, box)) return true;
  if (HasAt(head, 0, "RIFF") && HasAt(head, 8, "AVI ")) return true;
  if (HasAt(head, 0, "OggS") || HasAt(head, 0, "FLV\x01")) return true;
  if (HasAt(head, 0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11"sv)) return true; // ASF: WMV
  if (HasAt(head, 0, "\x00\x00\x01\xBA"sv) || HasAt(head, 0, "\x00\x00\x01\xB3"sv))
    return true; // MPEG program stream, MPEG video
  return LooksLikeTransportStream(head);
}

bool FileLooksLikeVideo(IFileSystem &files, const std::string &path) {
  try {
    return LooksLikeVideo(files.ReadHead(path, VideoSniffBytes));
  } catch (...) {
    return false;
  }
}

TSubtitleLookup FindSubtitleBeside(IFileSystem &files, const std::string &videoPath) {
  const size_t slash = videoPath.find_last_of("/\\");
  const std::string directory = slash == std::string::npos ? "" : videoPath.substr(0, slash);
  const std::string prefix = slash == std::string::npos ? "" : videoPath.substr(0, slash + 1);
  std::string base = videoPath.substr(prefix.size());
  if (const size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0) base.resize(dot);

  std::vector<std::string> names = files.ListDirectory(directory);
  std::sort(names.begin(), names.end());
  TSubtitleLookup lookup;
  // The extensions of the format table, each format's in its row's order.
  std::vector<std::string> extensions;
  for (const TSubtitleFormatRow *format : SubtitleFormats())
    for (const char *extension : format->Extensions)
      extensions.push_back(std::string(".") + extension);
  // Exact base names first, then names with a tag between base and extension.
  for (const bool tagged : {false, true}) {
    for (const std::string &ext : extensions) {
      lookup.Patterns.push_back(prefix + base + (tagged ? ".*" : "") + ext);
      for (const std::string &name : names) {
        if (name.size() < base.size() + ext.size() + (tagged ? 2 : 0)) continue;
        const std::string_view view(name);
        if (!EqualsNoCase(view.substr(0, base.size()), base) ||
            !EqualsNoCase(view.substr(name.size() - ext.size()), ext))
          continue;
        const std::string_view middle =
            view.substr(base.size(), name.size() - base.size() - ext.size());
        const bool fits = tagged ? middle.size() >= 2 && middle[0] == '.' : middle.empty();
        if (fits && files.FileExists(prefix + name)) {
          lookup.Found = prefix + name;
          return lookup;
        }
      }
    }
  }
  return lookup;
}
