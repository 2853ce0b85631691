// Text tracks of a video made documents: each codec by the format that
// serves it, with the documents that format's reader loads back.
#include <gtest/gtest.h>

#include "script/TrackDocuments.h"

namespace {

TSubtitleTrack Track(const char *codec, std::vector<TTrackCue> cues, std::string header = "") {
  TSubtitleTrack track;
  track.Kind = TSubtitleTrack::tkText;
  track.Codec = codec;
  track.Cues = std::move(cues);
  track.Header = std::move(header);
  return track;
}

// The cues libavformat gives for a SubRip file, and for the same file as
// mov_text in MP4 (empty packets for the gaps, CR LF kept from the source).
const std::vector<TTrackCue> SubRipCues = {{1000, 2500, "Hello <i>there</i>\nsecond line"},
                                           {3000, 4000, "Bye"}};
const std::vector<TTrackCue> MovTextCues = {{0, 1000, ""},
                                            {1000, 2500, "Hello there\r\n\r\nsecond line\n"},
                                            {2500, 3000, ""},
                                            {3000, 4000, "Bye"}};

TEST(TrackDocuments, EachTextCodecIsWrittenInTheFormatThatServesIt) {
  const std::string srt = "1\n00:00:01,000 --> 00:00:02,500\nHello <i>there</i>\nsecond line\n\n"
                          "2\n00:00:03,000 --> 00:00:04,000\nBye\n\n";
  const std::string plain = "1\n00:00:01,000 --> 00:00:02,500\nHello there\nsecond line\n\n"
                            "2\n00:00:03,000 --> 00:00:04,000\nBye\n\n";
  const struct {
    TSubtitleTrack Track;
    std::string Document;
  } cases[] = {
      {Track("subrip", SubRipCues), srt},
      {Track("text", SubRipCues), srt},
      // Empty packets and empty lines would end a cue: left out.
      {Track("mov_text", MovTextCues), plain},
      {Track("webvtt", {{1000, 2500, "<v Anna>Hello"}, {3723004, 3723450, "Late"}}),
       "WEBVTT\n\n00:00:01.000 --> 00:00:02.500\n<v Anna>Hello\n\n"
       "01:02:03.004 --> 01:02:03.450\nLate\n\n"},
      // MicroDVD is no codec of a video; nor is a picture codec.
      {Track("microdvd", SubRipCues), ""},
      {Track("hdmv_pgs_subtitle", SubRipCues), ""},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(TrackDocument(c.Track), c.Document) << c.Track.Codec;
    EXPECT_EQ(IsTrackCodec(c.Track.Codec), !c.Document.empty()) << c.Track.Codec;
  }
}

// The header stays; each packet "ReadOrder,Layer,Style,...,Text" becomes a
// Dialogue line with the times in hundredths after the layer; a packet with
// too few fields is dropped, and line ends inside a text are removed.
TEST(TrackDocuments, SubStationKeepsItsHeaderAndPutsTheTimesIn) {
  const std::string header = "[Script Info]\nScriptType: v4.00+\n\n[Events]\n"
                             "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                             "Effect, Text";
  const std::vector<TTrackCue> cues = {{1000, 2500, "0,0,Default,Anna,0,0,0,,Hi {\\i1}you"},
                                       {2500, 3000, "no fields"},
                                       {36005670, 36009990, "1,2,Top,,0,0,0,,a\r\nb"}};
  for (const char *codec : {"ass", "ssa"})
    EXPECT_EQ(TrackDocument(Track(codec, cues, header)),
              header + "\nDialogue: 0,0:00:01.00,0:00:02.50,Default,Anna,0,0,0,,Hi {\\i1}you\n"
                       "Dialogue: 2,10:00:05.67,10:00:09.99,Top,,0,0,0,,ab\n")
        << codec;
  // Without a header of its own the track gets an [Events] section in the
  // field order of both versions.
  EXPECT_EQ(TrackDocument(Track("ass", {cues[0]})),
            "\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
            "Effect, Text\nDialogue: 0,0:00:01.00,0:00:02.50,Default,Anna,0,0,0,,Hi {\\i1}you\n");
}

TEST(TrackDocuments, TimesAndLines) {
  EXPECT_EQ(TrackTime(-5, ',', 3), "00:00:00,000");
  EXPECT_EQ(TrackTime(359999999, '.', 3), "99:59:59.999");
  EXPECT_EQ(TrackTime(3723456, '.', 2), "1:02:03.45");
  EXPECT_EQ(TrackCueLines("\r\na\r\n\nb"), "a\nb\n");
  EXPECT_EQ(TrackCueLines("\n\r\n"), "");
}

} // namespace
