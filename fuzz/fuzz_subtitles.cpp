// libFuzzer target: any bytes as a subtitle file of the imported formats,
// through detection, decoding and every reader (see SubtitleInput.h). A
// fault the input run reports aborts, so it is kept.
#include <cstdio>
#include <cstdlib>

#include "fuzz/SubtitleInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string fault = fuzzinput::RunSubtitles(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
