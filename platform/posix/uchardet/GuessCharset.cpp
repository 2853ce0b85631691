// The charset guess of a POSIX build with uchardet.
#include "platform/Charsets.h"

#include <algorithm>
#include <uchardet.h>

std::string GuessCharset(std::string_view bytes) {
  // The start of a file tells its charset as well as the whole of it.
  constexpr size_t SampleSize = 1 << 20;
  uchardet_t detector = uchardet_new();
  if (!detector) return std::string();
  std::string charset;
  if (uchardet_handle_data(detector, bytes.data(), std::min(bytes.size(), SampleSize)) == 0) {
    uchardet_data_end(detector);
    charset = uchardet_get_charset(detector);
  }
  uchardet_delete(detector);
  return charset;
}
