// Loading the script: the file given, or, when the only file given is a
// video, the subtitles that go with it (a file beside it, else a text track
// inside it).
#include "driver/Driver.h"

#include "driver/SubtitleLookup.h"

void TDriver::LoadScript() {
  // A second file on the command line is the video; the first is the script
  // whatever it holds. Only a lone file that opens like a video is one.
  if (!VideoPath.empty() || !LooksLikeVideo(Services.Files.ReadHead(ScriptPath, VideoSniffBytes))) {
    LoadScriptFile();
    return;
  }
  VideoPath = ScriptPath;
  const TSubtitleLookup lookup = FindSubtitleBeside(Services.Files, VideoPath);
  if (!lookup.Found.empty()) {
    if (Settings.Debug) WriteLogLine("Subtitles: " + lookup.Found, ltSystem);
    ScriptPath = lookup.Found;
    LoadScriptFile();
    return;
  }
  const TSubtitleTrack track = ReadTrack(VideoPath);
  if (track.Kind == TSubtitleTrack::tkText && Script->ImportSubtitles(track.Document, VideoPath)) {
    if (Settings.Debug)
      WriteLogLine("Subtitles: track " + std::to_string(track.Index) + " (" + track.Codec +
                       ") of " + VideoPath,
                   ltSystem);
    return;
  }
  if (track.Kind == TSubtitleTrack::tkBitmap)
    WriteLogLine("The subtitle track of " + VideoPath + " holds pictures (" + track.Codec +
                     "), not text",
                 ltSystem);
  std::string names;
  for (const std::string &pattern : lookup.Patterns)
    names += (names.empty() ? "" : ", ") + pattern;
  FatalError(
      "no subtitles for " + VideoPath + ": looked for " + names +
      (track.Kind == TSubtitleTrack::tkUnsupported ? "" : ", and for a text track inside it"));
}

void TDriver::LoadScriptFile() {
  Script->LoadFromFile(ScriptPath);
  if (!Script->PictureFormat.empty())
    FatalError(ScriptPath + " is a picture subtitle file (" + Script->PictureFormat +
               "); it cannot be shown as text");
}
