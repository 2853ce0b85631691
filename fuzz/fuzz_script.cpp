// libFuzzer target: any bytes as a subtitle script, loaded and drained (see
// ScriptInput.h). A fault the input run reports aborts, so it is kept.
#include <cstdio>
#include <cstdlib>

#include "fuzz/ScriptInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string fault = fuzzinput::RunScript(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
