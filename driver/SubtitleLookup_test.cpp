// Tests of a video given alone: telling videos from subtitle files by their
// first bytes, the look-up beside the video, and what is said when nothing
// is found.
#include <gtest/gtest.h>

#include "driver/SubtitleLookup.h"
#include "driver/TestDriver.h"

namespace {

using namespace std::string_literals;

const std::string Matroska = "\x1A\x45\xDF\xA3\x01\x00\x00\x00"s;
const std::string Native = ScriptText({"{HEAD", "}", "{T;1", "Found me", "}"});

TEST(SubtitleLookup, VideosAreKnownByTheirFirstBytesAndTextNever) {
  const std::string ts =
      "\x47" + std::string(187, '\xFF') + "\x47" + std::string(187, '\xFF') + "\x47";
  const struct {
    std::string Head;
    bool Video;
  } cases[] = {
      {Matroska, true},
      {"\x00\x00\x00\x20"
       "ftypisom"s,
       true},
      {"\x00\x00\x10\x00"
       "moov"s,
       true},
      {"RIFF\x10\x00\x00\x00"
       "AVI LIST"s,
       true},
      {"OggS\x00\x02"s, true},
      {"\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9"s, true},
      {"\x00\x00\x01\xBA\x44"s, true},
      {ts, true},
      {"", false},
      {Native, false},
      {"1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n", false},
      {"WEBVTT\n\n", false},
      {"[Script Info]\n", false},
      {"{1}{1}23.976\n", false},
      {"\x1A", false},
      {"xxxxmoov", false}, // a box name after text, not after a size
      {"G" + std::string(400, 'a'), false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(LooksLikeVideo(c.Head), c.Video) << c.Head.substr(0, 12);
}

class VideoAloneTest : public ::testing::Test {
protected:
  VideoAloneTest() {
    T.Files.Add("dir/movie.mkv", Matroska);
    T.Driver.ReadTrack = [this](const std::string &path) {
      TrackAskedFor = path;
      return Track;
    };
  }
  // Start-up in screenplay mode; the exit code.
  int Start(std::vector<std::string> args) {
    T.Process.Args = std::move(args);
    return T.ExitCodeOf([&] { T.Driver.Startup(); });
  }
  TTestDriver T;
  TSubtitleTrack Track;
  std::string TrackAskedFor;
};

TEST_F(VideoAloneTest, ExactBaseNameWinsAndIsNamedInADebugLine) {
  T.Files.Add("dir/movie.en.srt", "");
  T.Files.Add("dir/movie.txt", Native);
  T.Files.Add("dir/movies.srt", "");
  EXPECT_EQ(Start({"-scp", "dir/movie.mkv"}), 0);
  EXPECT_EQ(T.Output.Lines, (std::vector<std::string>{"Subtitles: dir/movie.txt", "Found me "}));
  EXPECT_EQ(T.Output.Kinds[0], 'y') << "a file name is shown in the system's charset";
  EXPECT_EQ(TrackAskedFor, "");
}

// The file found is the script from then on: an empty one is named.
TEST_F(VideoAloneTest, AVideoGivenAloneIsTheOnePlayed) {
  T.Files.Add("dir/movie.srt", "");
  TTestPlayer player;
  T.Start({"-nd", "dir/movie.mkv"}, player);
  EXPECT_EQ(player.FileName, "dir/movie.mkv");
  EXPECT_EQ(T.Process.ErrorLines, std::vector<std::string>{"No subtitles found in dir/movie.srt"});
  T.Driver.Finalize();
}

TEST_F(VideoAloneTest, TaggedNamesByExtensionThenNameWithoutRegardToCase) {
  T.Files.Add("dir/movie.fr.txt", Native);
  T.Files.Add("dir/Movie.EN.SRT", "1\n00:00:01,000 --> 00:00:02,000\nEnglish\n");
  T.Files.Add("dir/movie.de.srt", "");
  T.Files.Add("dir/movie..srt", "");
  T.Files.Directories.insert("dir/movie.ab.srt");
  T.Files.Add("dir/movie.ab.srt", "");
  EXPECT_EQ(Start({"-nd", "-scp", "dir/movie.mkv"}), 0);
  // The English file's text, and no line naming it: Debug is off.
  EXPECT_EQ(T.Output.Lines, std::vector<std::string>{"English "});
}

TEST_F(VideoAloneTest, WithoutAFileTheVideosTextTrackIsImported) {
  Track = {TSubtitleTrack::tkText, 2, "subrip", "1\n00:00:01,000 --> 00:00:02,000\nHi\n\n"};
  EXPECT_EQ(Start({"-scp", "dir/movie.mkv"}), 0);
  EXPECT_EQ(T.Output.Lines,
            (std::vector<std::string>{"Subtitles: track 2 (subrip) of dir/movie.mkv", "Hi "}));
  EXPECT_EQ(T.Output.Kinds, "yp") << "the imported text is UTF-8, written as such";
}

TEST_F(VideoAloneTest, NothingFoundSaysWhatWasLookedFor) {
  const std::string looked = "no subtitles for dir/movie.mkv: looked for dir/movie.srt, "
                             "dir/movie.vtt, dir/movie.ass, dir/movie.ssa, dir/movie.sub, "
                             "dir/movie.txt, dir/movie.*.srt, dir/movie.*.vtt, dir/movie.*.ass, "
                             "dir/movie.*.ssa, dir/movie.*.sub, dir/movie.*.txt";
  const struct {
    TSubtitleTrack::TKind Kind;
    std::vector<std::string> Lines;
  } cases[] = {
      {TSubtitleTrack::tkUnsupported, {"Fatal error: " + looked}},
      {TSubtitleTrack::tkNone, {"Fatal error: " + looked + ", and for a text track inside it"}},
      {TSubtitleTrack::tkBitmap,
       {"The subtitle track of dir/movie.mkv holds pictures (hdmv_pgs_subtitle), not text",
        "Fatal error: " + looked + ", and for a text track inside it"}},
  };
  for (const auto &c : cases) {
    T.Output.Lines.clear();
    Track.Kind = c.Kind;
    Track.Codec = "hdmv_pgs_subtitle";
    EXPECT_EQ(Start({"-scp", "dir/movie.mkv"}), 1);
    ASSERT_GE(T.Output.Lines.size(), c.Lines.size());
    T.Output.Lines.resize(c.Lines.size()); // the usage text follows
    EXPECT_EQ(T.Output.Lines, c.Lines);
    EXPECT_EQ(TrackAskedFor, "dir/movie.mkv");
  }
}

TEST_F(VideoAloneTest, AVideoFirstOfTwoFilesIsStillTheScript) {
  T.Files.Add("dir/movie.srt", "");
  T.Files.Add("v.avi", "");
  EXPECT_EQ(Start({"-scp", "dir/movie.mkv", "v.avi"}), 0);
  EXPECT_TRUE(T.Output.Lines.empty());
  EXPECT_EQ(T.Process.ErrorLines, std::vector<std::string>{"No subtitles found in dir/movie.mkv"});

  TTestPlayer player;
  TTestDriver t;
  t.Files = T.Files;
  t.Start({"-nd", "dir/movie.mkv", "v.avi"}, player);
  EXPECT_EQ(player.FileName, "v.avi");
  t.Driver.Finalize();
}

} // namespace
