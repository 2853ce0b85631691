// The one iconv loop of the POSIX conversions: the whole text through a
// converter, with a replacement wherever it meets something it cannot convert.
#pragma once

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <string>
#include <string_view>

// Runs `text` through `converter`. Where it stops at bytes it cannot convert
// (or a sequence cut off by the end), `replacement` stands for the
// `skip(in, left)` bytes there and the converter starts afresh after them.
template <class TSkip>
std::string IconvRun(iconv_t converter, std::string_view text, std::string_view replacement,
                     TSkip skip) {
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  std::string result;
  result.reserve(text.size() + text.size() / 2);
  char *in = const_cast<char *>(text.data());
  size_t inLeft = text.size();
  char chunk[4096];
  while (inLeft > 0) {
    char *out = chunk;
    size_t outLeft = sizeof chunk;
    const size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    result.append(chunk, sizeof chunk - outLeft);
    if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
    result += replacement;
    const size_t n = std::min(skip(in, inLeft), inLeft);
    in += n;
    inLeft -= n;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  return result;
}
