// Picture subtitle files: known by their openings, near misses not, and the
// loader naming one with its table left empty.
#include "script/PictureSubtitles.h"

#include <gtest/gtest.h>

#include "script/ScriptTestSupport.h"

namespace {

TEST(PictureSubtitles, KnownByTheirOpenings) {
  const struct {
    std::string Bytes;
    const char *Format;
  } cases[] = {
      {std::string("\x00\x00\x01\xBA\x44\x00\x04", 7), "VobSub"},
      {std::string("\x00\x00\x01\xBA", 4), "VobSub"},
      {"# VobSub index file, v7 (do not modify this line!)\r\nsize: 720x576\r\n", "VobSub"},
      {"\xEF\xBB\xBF# VobSub index file, v7 (do not modify this line!)\n", "VobSub"},
      {"# vobsub INDEX file, v3\n", "VobSub"},
      // Near misses: other MPEG start codes, a cut header, other comments.
      {std::string("\x00\x00\x01\xB3", 4), nullptr},
      {std::string("\x00\x00\x01", 3), nullptr},
      {std::string("x\x00\x00\x01\xBA", 5), nullptr},
      {"# VobSub\n", nullptr},
      {" # VobSub index file, v7\n", nullptr},
      {"{1}{25}Hi\n", nullptr},
      {"", nullptr},
  };
  for (const auto &c : cases) {
    const char *format = PictureSubtitleFormat(c.Bytes);
    EXPECT_STREQ(format, c.Format) << c.Bytes;
  }
}

TEST(PictureSubtitles, TheLoaderNamesThemAndReadsNothing) {
  TScriptFixture f;
  // A line of a native block inside the stream is not read either.
  TCaptel &s = f.LoadBytes(std::string("\x00\x00\x01\xBA", 4) + "\n{T;100\nHi\n}\n");
  EXPECT_EQ(s.PictureFormat, "VobSub");
  EXPECT_EQ(s.Count, 1);
  EXPECT_FALSE(s.UnicodeText);
  EXPECT_TRUE(f.Log.empty());
  // The next file loaded is text again.
  f.LoadBytes("{1}{25}Hi\n");
  EXPECT_EQ(s.PictureFormat, "");
  EXPECT_EQ(s.Count, 2);
}

} // namespace
