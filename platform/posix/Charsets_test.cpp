// The charset guess of the POSIX build (uchardet).
#include "platform/Charsets.h"

#include <gtest/gtest.h>

namespace {

TEST(GuessCharset, CzechTextInWindows1250) {
  const std::string text =
      "Kde jsi byl cel\xFD ten \xE8"
      "as? \x8A"
      "et\xF8\xED jsem na n\xE1"
      "dra\x9E\xED, dokud "
      "neodjel posledn\xED vlak. P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl.";
  EXPECT_EQ(GuessCharset(text), "WINDOWS-1250");
}

} // namespace
