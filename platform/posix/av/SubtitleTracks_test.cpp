// Subtitle tracks read from videos that ffmpeg makes at test time: SubRip,
// WebVTT and SubStation in Matroska, mov_text in MP4, and a video without one.
// The documents they become are tested in script/TrackDocuments_test.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SubtitleTracks.h"

namespace {

// The text codecs the format table serves; the platform reads what it is told.
bool IsText(std::string_view codec) {
  for (std::string_view name : {"subrip", "text", "mov_text", "webvtt", "ass", "ssa"})
    if (codec == name) return true;
  return false;
}

TSubtitleTrack Read(const std::string &path) { return ReadSubtitleTrack(path, IsText); }

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

// The cues of a track as "start-end|text", one a row.
std::vector<std::string> Rows(const TSubtitleTrack &track) {
  std::vector<std::string> rows;
  for (const TTrackCue &cue : track.Cues)
    rows.push_back(std::to_string(cue.StartMs) + "-" + std::to_string(cue.EndMs) + "|" + cue.Text);
  return rows;
}

// Each text codec comes back as its packets' times and texts; mov_text's
// length prefix and its style record (the italics) are not text, and its
// gaps are empty packets; WebVTT's cue identifier and settings are gone.
TEST_F(SubtitleTracks, EachTextCodecComesBackAsItsCues) {
  const struct {
    const char *File, *Inputs, *Options, *Codec;
    std::vector<std::string> Cues;
  } cases[] = {
      {"m.mkv",
       "-i a.srt",
       "-map 1 -c:s copy",
       "subrip",
       {"1000-2500|Hello <i>there</i>\nsecond line", "3000-4000|Bye"}},
      {"m.mp4",
       "-i a.srt",
       "-map 1 -c:s mov_text",
       "mov_text",
       {"0-1000|", "1000-2500|Hello there\nsecond line", "2500-3000|", "3000-4000|Bye"}},
      {"w.mkv", "-i a.vtt", "-map 1 -c:s copy", "webvtt", {"1000-2500|<v Anna>Hello"}},
  };
  for (const auto &c : cases) {
    const TSubtitleTrack track = Read(Make(c.File, c.Inputs, c.Options));
    EXPECT_EQ(track.Kind, TSubtitleTrack::tkText) << c.File;
    EXPECT_EQ(track.Codec, c.Codec);
    EXPECT_EQ(Rows(track), c.Cues) << c.File;
    EXPECT_TRUE(track.Document.empty()) << "the format that serves the codec writes it";
  }
}

TEST_F(SubtitleTracks, FirstTextTrackWinsAndSubStationKeepsItsHeaderAndFields) {
  const TSubtitleTrack track =
      Read(Make("two.mkv", "-i a.ass -i a.srt", "-map 1 -map 2 -c:s copy"));
  EXPECT_EQ(track.Kind, TSubtitleTrack::tkText);
  EXPECT_EQ(track.Codec, "ass");
  EXPECT_EQ(track.Index, 1);
  EXPECT_TRUE(track.Header.starts_with("[Script Info]\n")) << track.Header;
  EXPECT_NE(track.Header.find("\n[Events]\nFormat: Layer, Start, End,"), std::string::npos);
  EXPECT_EQ(Rows(track),
            std::vector<std::string>{"1000-2500|0,0,Default,Anna,0,0,0,,Hi {\\i1}you"});
}

// Which codecs are text is the caller's: one it does not take is passed
// over for the next track, and a track of none it takes is no track.
TEST_F(SubtitleTracks, OnlyCodecsTheCallerTakesAreText) {
  const std::string video = Make("two.mkv", "-i a.ass -i a.srt", "-map 1 -map 2 -c:s copy");
  const TSubtitleTrack srt =
      ReadSubtitleTrack(video, [](std::string_view codec) { return codec == "subrip"; });
  EXPECT_EQ(srt.Kind, TSubtitleTrack::tkText);
  EXPECT_EQ(srt.Index, 2);
  EXPECT_EQ(srt.Codec, "subrip");
  EXPECT_EQ(ReadSubtitleTrack(video, [](std::string_view) { return false; }).Kind,
            TSubtitleTrack::tkNone);
}

TEST_F(SubtitleTracks, VideoWithoutSubtitlesOrNoVideoAtAllHasNone) {
  EXPECT_EQ(Read(Make("plain.mkv", "", "")).Kind, TSubtitleTrack::tkNone);
  Write("text.mkv", "not a video");
  EXPECT_EQ(Read(Dir + "/text.mkv").Kind, TSubtitleTrack::tkNone);
  EXPECT_EQ(Read(Dir + "/missing.mkv").Kind, TSubtitleTrack::tkNone);
}

} // namespace
