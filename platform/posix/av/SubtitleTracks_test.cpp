// Subtitle tracks read from videos that ffmpeg makes at test time: SubRip,
// WebVTT and SubStation in Matroska, mov_text in MP4, and a video without one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/SubtitleTracks.h"

namespace {

class SubtitleTracks : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/cuestrip-tracks-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Dir = pattern;
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
    Write("a.srt", "1\n00:00:01,000 --> 00:00:02,500\nHello <i>there</i>\nsecond line\n\n"
                   "2\n00:00:03,000 --> 00:00:04,000\nBye\n");
    Write("a.vtt", "WEBVTT\n\nid1\n00:00:01.000 --> 00:00:02.500 align:start\n<v Anna>Hello\n");
    Write("a.ass", "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\n"
                   "Format: Name, Fontname, Fontsize\nStyle: Default,Arial,20\n\n[Events]\n"
                   "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
                   "Text\nDialogue: 0,0:00:01.00,0:00:02.50,Default,Anna,0,0,0,,Hi {\\i1}you\n");
  }
  void TearDown() override { std::system(("rm -rf " + Dir).c_str()); }

  void Write(const std::string &name, const std::string &text) {
    std::ofstream(Dir + "/" + name) << text;
  }
  // A one-second video with the given inputs and codec options, made by ffmpeg.
  std::string Make(const std::string &name, const std::string &inputs, const std::string &options) {
    const std::string path = Dir + "/" + name;
    const std::string command =
        "cd " + Dir + " && ffmpeg -v error -y -f lavfi -i color=c=black:s=32x32:d=4:r=5 " + inputs +
        " -map 0:v " + options + " -c:v mpeg4 " + name;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
  }

  std::string Dir;
};

// Each text codec comes back as a document of the format it came from; the
// italics of mov_text are a style record, not text, and are left out.
TEST_F(SubtitleTracks, EachTextCodecComesBackAsADocument) {
  const std::string srt = "1\n00:00:01,000 --> 00:00:02,500\nHello <i>there</i>\nsecond line\n\n"
                          "2\n00:00:03,000 --> 00:00:04,000\nBye\n\n";
  const struct {
    const char *File, *Inputs, *Options, *Codec;
    std::string Document;
  } cases[] = {
      {"m.mkv", "-i a.srt", "-map 1 -c:s copy", "subrip", srt},
      {"m.mp4", "-i a.srt", "-map 1 -c:s mov_text", "mov_text",
       "1\n00:00:01,000 --> 00:00:02,500\nHello there\nsecond line\n\n"
       "2\n00:00:03,000 --> 00:00:04,000\nBye\n\n"},
      {"w.mkv", "-i a.vtt", "-map 1 -c:s copy", "webvtt",
       "WEBVTT\n\n00:00:01.000 --> 00:00:02.500\n<v Anna>Hello\n\n"},
  };
  for (const auto &c : cases) {
    const TSubtitleTrack track = ReadSubtitleTrack(Make(c.File, c.Inputs, c.Options));
    EXPECT_EQ(track.Kind, TSubtitleTrack::tkText) << c.File;
    EXPECT_EQ(track.Codec, c.Codec);
    EXPECT_EQ(track.Document, c.Document);
  }
}

TEST_F(SubtitleTracks, FirstTextTrackWinsAndSubStationKeepsItsHeaderAndFields) {
  const TSubtitleTrack track =
      ReadSubtitleTrack(Make("two.mkv", "-i a.ass -i a.srt", "-map 1 -map 2 -c:s copy"));
  EXPECT_EQ(track.Kind, TSubtitleTrack::tkText);
  EXPECT_EQ(track.Codec, "ass");
  EXPECT_EQ(track.Index, 1);
  EXPECT_NE(track.Document.find("[Script Info]"), std::string::npos) << track.Document;
  EXPECT_NE(track.Document.find("\nDialogue: 0,0:00:01.00,0:00:02.50,Default,Anna,0,0,0,,Hi "
                                "{\\i1}you\n"),
            std::string::npos)
      << track.Document;
}

TEST_F(SubtitleTracks, VideoWithoutSubtitlesOrNoVideoAtAllHasNone) {
  EXPECT_EQ(ReadSubtitleTrack(Make("plain.mkv", "", "")).Kind, TSubtitleTrack::tkNone);
  Write("text.mkv", "not a video");
  EXPECT_EQ(ReadSubtitleTrack(Dir + "/text.mkv").Kind, TSubtitleTrack::tkNone);
  EXPECT_EQ(ReadSubtitleTrack(Dir + "/missing.mkv").Kind, TSubtitleTrack::tkNone);
}

} // namespace
