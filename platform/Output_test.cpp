// What every platform's output stream does to a file or pipe, run against
// each platform's real one: CR LF lines in 128-byte blocks with the rest at
// the flush, imported text as plain UTF-8, and the system's text as given.
#include "platform/Output.h"

#include <gtest/gtest.h>

#include "platform/CodePages.h"
#include "platform/StdoutFile.h"

namespace {

TEST(OutputToAFile, CrLfLinesIn128ByteBlocksAndTheRestAtTheFlush) {
  TStdoutFile file;
  ASSERT_TRUE(file.Ok());
  auto output = CreatePlatformOutput(PlatformCodePages());
  output->WriteLine(std::string(100, 'a'));
  EXPECT_EQ(file.Bytes(), "");
  output->WriteLine(std::string(100, 'b'));
  EXPECT_EQ(file.Bytes(), std::string(100, 'a') + "\r\n" + std::string(26, 'b'));
  output->Flush();
  EXPECT_EQ(file.Bytes(), std::string(100, 'a') + "\r\n" + std::string(100, 'b') + "\r\n");
}

// Style markers dropped, a byte that is not UTF-8 shown as "?"; a system
// line's bytes pass as they are, whatever they are.
TEST(OutputToAFile, TextLinesArePlainUtf8AndSystemLinesTheirOwnBytes) {
  TStdoutFile file;
  ASSERT_TRUE(file.Ok());
  auto output = CreatePlatformOutput(PlatformCodePages());
  output->WriteTextLine("\x0E"
                        "caf\xC3\xA9\x0F \x11\xE6\x97\xA5\x12 \xFF",
                        true);
  output->WriteLine("x");
  output->WriteSystemLine("Vid\xE9o \xC3\xA9");
  output->Flush();
  EXPECT_EQ(file.Bytes(), "caf\xC3\xA9 \xE6\x97\xA5 ?\r\nx\r\nVid\xE9o \xC3\xA9\r\n");
}

} // namespace
