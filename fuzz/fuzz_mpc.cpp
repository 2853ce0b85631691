// libFuzzer target: any bytes as the answers of a MPC followed over its web
// interface, mixed with key presses (see MpcInput.h). A fault the input
// run reports aborts, so it is kept.
#include <cstdio>
#include <cstdlib>

#include "fuzz/MpcInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string fault = fuzzinput::RunMpc(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
