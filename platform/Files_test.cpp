// What every file system must do, run against each platform's real one and
// against the fake the other tests use, so the fake cannot drift: whole-file
// reads, the error numbers of a missing file and a directory, the
// file-exists test, the head of a file and the names in a folder.
#include "platform/Files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "fake/FakeFiles.h"

namespace {

// A folder to write files into, and the file system that reads them.
class TFileWorld {
public:
  virtual ~TFileWorld() = default;
  virtual IFileSystem &Files() = 0;
  virtual std::string Dir() = 0;
  // Creates `name` in Dir holding `bytes`; returns its path.
  virtual std::string Write(const std::string &name, const std::string &bytes) = 0;
};

class TRealWorld : public TFileWorld {
public:
  TRealWorld()
      : FDir(std::filesystem::temp_directory_path() /
             ("cuestrip-files-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directory(FDir);
  }
  ~TRealWorld() override { std::filesystem::remove_all(FDir); }
  IFileSystem &Files() override { return PlatformFiles(); }
  std::string Dir() override { return FDir.string(); }
  std::string Write(const std::string &name, const std::string &bytes) override {
    const std::string path = (FDir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

private:
  std::filesystem::path FDir;
};

class TFakeWorld : public TFileWorld {
public:
  TFakeWorld() { FFiles.Directories.insert("dir"); }
  IFileSystem &Files() override { return FFiles; }
  std::string Dir() override { return "dir"; }
  std::string Write(const std::string &name, const std::string &bytes) override {
    FFiles.Add("dir/" + name, bytes);
    return "dir/" + name;
  }

private:
  TFakeFiles FFiles;
};

class FileSystemContract : public ::testing::TestWithParam<bool> {
protected:
  FileSystemContract()
      : World(GetParam() ? std::unique_ptr<TFileWorld>(new TFakeWorld)
                         : std::unique_ptr<TFileWorld>(new TRealWorld)) {}

  // The error ReadAll raises for `path` as "number message", or "read".
  std::string ReadError(const std::string &path) {
    try {
      World->Files().ReadAll(path);
      return "read";
    } catch (const EInOutError &e) {
      return std::to_string(e.ErrorCode) + " " + e.Message;
    }
  }

  std::unique_ptr<TFileWorld> World;
};

TEST_P(FileSystemContract, ReadsEveryByte) {
  const std::string bytes("a\0b\r\n\x1A\xFF", 7);
  EXPECT_EQ(World->Files().ReadAll(World->Write("bin", bytes)), bytes);
  EXPECT_EQ(World->Files().ReadAll(World->Write("empty", "")), "");
  std::string large(20 << 20, 'L');
  large[12345] = '\r';
  EXPECT_EQ(World->Files().ReadAll(World->Write("large", large)), large);
}

TEST_P(FileSystemContract, MissingFileAndDirectoryCarryTheSystemsNumbers) {
  EXPECT_EQ(ReadError(World->Dir() + "/missing.scr"), "2 File not found");
  // A directory is refused the way a Windows open refuses it.
  EXPECT_EQ(ReadError(World->Dir()), "5 File access denied");
}

TEST_P(FileSystemContract, FileExistsCountsNoDirectories) {
  EXPECT_TRUE(World->Files().FileExists(World->Write("video.avi", "")));
  EXPECT_FALSE(World->Files().FileExists(World->Dir()));
  EXPECT_FALSE(World->Files().FileExists(World->Dir() + "/missing"));
  EXPECT_FALSE(World->Files().FileExists(""));
}

TEST_P(FileSystemContract, HeadOfAFileAndTheNamesInAFolder) {
  IFileSystem &files = World->Files();
  const std::string movie = World->Write("movie.mkv", "0123456789");
  World->Write("movie.en.srt", "");
  EXPECT_EQ(files.ReadHead(movie, 4), "0123");
  EXPECT_EQ(files.ReadHead(movie, 400), "0123456789");
  EXPECT_EQ(files.ReadHead(World->Dir() + "/missing", 4), "");
  std::vector<std::string> names = files.ListDirectory(World->Dir());
  std::erase_if(names, [](const std::string &name) { return name == "." || name == ".."; });
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"movie.en.srt", "movie.mkv"}));
  EXPECT_TRUE(files.ListDirectory(World->Dir() + "/missing").empty());
}

INSTANTIATE_TEST_SUITE_P(RealAndFake, FileSystemContract, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Fake" : "Real"; });

} // namespace
