// libFuzzer target: any bytes as the answers of a VLC followed over its web
// interface, mixed with key presses (see VlcInput.h). A fault the input
// run reports aborts, so it is kept.
#include <cstdio>
#include <cstdlib>

#include "fuzz/VlcInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string fault = fuzzinput::RunVlc(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
