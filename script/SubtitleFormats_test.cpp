// The format table: every row complete, the look-up's extensions in their
// order, and detection through the probes giving each sample its format,
// with no sample claimed by two probes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "script/SubtitleFormats.h"

namespace {

TEST(SubtitleFormats, EveryRowIsComplete) {
  std::set<std::string> codecs;
  for (const TSubtitleFormatRow *row : SubtitleFormats()) {
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->Name, nullptr);
    EXPECT_NE(row->Probe, nullptr) << row->Name;
    EXPECT_NE(row->Read, nullptr) << row->Name;
    EXPECT_FALSE(row->Extensions.empty()) << row->Name;
    // A row that serves track codecs writes their documents.
    EXPECT_EQ(row->TrackCodecs.empty(), row->WriteTrack == nullptr) << row->Name;
    for (const char *codec : row->TrackCodecs)
      EXPECT_TRUE(codecs.insert(codec).second) << codec << " served twice";
  }
}

// The look-up beside a video tries the extensions in this order.
TEST(SubtitleFormats, ExtensionsInTheLookupsOrder) {
  std::vector<std::string> extensions;
  for (const TSubtitleFormatRow *row : SubtitleFormats())
    for (const char *extension : row->Extensions)
      extensions.push_back(extension);
  EXPECT_EQ(extensions, (std::vector<std::string>{"srt", "vtt", "ass", "ssa", "sub", "txt"}));
}

TEST(SubtitleFormats, DetectionGivesEachSampleItsFormatAndOneProbeAlone) {
  const struct {
    const char *Text;
    const char *Format; // null: no format
  } cases[] = {
      {"1\n00:00:01,000 --> 00:00:02,000\nHi\n", "SubRip"},
      {"\r\n  12 \r\n00:00:01,000-->00:00:02,000\r\nHi\r\n", "SubRip"},
      {"00:00:01,000 --> 00:00:02,000\nno number\n", "SubRip"},
      {"WEBVTT\n\n00:01.000 --> 00:02.000\nHi\n", "WebVTT"},
      {"WEBVTT - a title\n", "WebVTT"},
      {"WEBVTT", "WebVTT"},
      {"[Script Info]\nTitle: x\n", "SubStation"},
      {"; a comment\n[script info]\n", "SubStation"},
      {"[V4+ Styles]\n\n[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,,,0,0,0,,Hi\n", "SubStation"},
      {"{1}{25}Hi|there\n", "MicroDVD"},
      {"{1}{}open end\n", "MicroDVD"},
      {"{-164}{-68}before the start\n{10}{20}Hi\n", "MicroDVD"},
      {"{0}{0}\n{10}{20}Hi\n", "MicroDVD"},
      // Near misses of each.
      {"WEBVTTX\n", nullptr},
      {" WEBVTT\n", nullptr},
      {"1\nno timing\n", nullptr},
      {"[V4+ Styles]\nStyle: Default\n", nullptr},
      {"[Events]\nComment: 0,0:00:01.00,0:00:02.00,,,0,0,0,,Hi\n", nullptr},
      {"{1}{25}\n", nullptr},
      {"{-}{5}x\n{x}{}y\n", nullptr},
      {"", nullptr},
      // A native script is never taken for a format, whatever it holds.
      {"1\n00:00:01,000 --> 00:00:02,000\n{T;100\nHi\n", nullptr},
      {"{HEAD\n}\n{1}{25}Hi\n", nullptr},
  };
  for (const auto &c : cases) {
    const TSubtitleFormatRow *format = DetectSubtitleFormat(c.Text);
    EXPECT_STREQ(format ? format->Name : nullptr, c.Format) << c.Text;
    int claims = 0;
    const TSubtitleOpening opening = ReadOpening(c.Text);
    for (const TSubtitleFormatRow *row : SubtitleFormats())
      claims += row->Probe(opening);
    EXPECT_LE(claims, 1) << c.Text;
  }
}

} // namespace
