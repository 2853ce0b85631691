// libFuzzer target: any bytes as the lines an mpv followed over its IPC
// socket sends, mixed with key presses (see FollowInput.h). A fault the input
// run reports aborts, so it is kept.
#include <cstdio>
#include <cstdlib>

#include "fuzz/FollowInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string fault = fuzzinput::RunFollow(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
