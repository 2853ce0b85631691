// Line framing with a length limit.
#include "player/follow/LineFramer.h"

void TLineFramer::Add(std::string_view bytes, const std::function<void(std::string_view)> &line) {
  while (!bytes.empty()) {
    size_t end = bytes.find('\n');
    std::string_view piece = bytes.substr(0, end);
    if (!FSkipping && FPending.size() + piece.size() > MaxLine) {
      FSkipping = true;
      ++FDropped;
      FPending.clear();
    }
    if (!FSkipping) FPending.append(piece);
    if (end == std::string_view::npos) return;
    if (!FSkipping) line(FPending);
    FPending.clear();
    FSkipping = false;
    bytes.remove_prefix(end + 1);
  }
}
