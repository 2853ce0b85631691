// Test media for the tests over a real libmpv: a temporary folder whose
// mpv.conf makes playback headless, and a 20 s, 25 fps video made by ffmpeg.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// Makes the folder from a mkdtemp pattern, points MPV_HOME at its mpv.conf
// (vo and ao null) and writes the video as t25.mp4; returns the folder.
inline std::filesystem::path MakeMpvTestFolder(std::string pattern, std::string &video) {
  namespace fs = std::filesystem;
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "no temporary folder";
    return {};
  }
  fs::path dir = pattern;
  fs::create_directories(dir / "mpv");
  std::ofstream(dir / "mpv" / "mpv.conf") << "vo=null\nao=null\n";
  setenv("MPV_HOME", (dir / "mpv").c_str(), 1);
  video = (dir / "t25.mp4").string();
  std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=20 "
                        "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 '" +
                        video + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << "ffmpeg could not make the test video";
  return dir;
}
