// The Windows file system: whole-file reads, the file-exists test, and the
// system error numbers a failed read carries.
#include "platform/Files.h"

#include "platform/win32/WindowsApi.h"

#include <fstream>

#include <gtest/gtest.h>

#include "platform/Errors.h"

namespace {

class Win32Files : public ::testing::Test {
protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    Dir = std::string(temp) + "cuestrip-files-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(Dir.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string &path : Written)
      DeleteFileA(path.c_str());
    RemoveDirectoryA(Dir.c_str());
  }

  std::string Write(const std::string &name, const std::string &bytes) {
    std::string path = Dir + "\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    Written.push_back(path);
    return path;
  }

  int ReadError(const std::string &path) {
    try {
      PlatformFiles().ReadAll(path);
      return -1;
    } catch (const EInOutError &e) {
      return e.ErrorCode;
    }
  }

  std::string Dir;
  std::vector<std::string> Written;
};

TEST_F(Win32Files, ReadsEveryByte) {
  std::string bytes("a\0b\r\n\x1A\xFF", 7);
  EXPECT_EQ(PlatformFiles().ReadAll(Write("bin", bytes)), bytes);
  EXPECT_EQ(PlatformFiles().ReadAll(Write("empty", "")), "");
  std::string large(20 << 20, 'L');
  EXPECT_EQ(PlatformFiles().ReadAll(Write("large", large)), large);
}

TEST_F(Win32Files, ErrorsCarryTheSystemsNumbers) {
  EXPECT_EQ(ReadError(Dir + "\\missing.scr"), 2);
  EXPECT_EQ(ReadError(Dir + "\\nodir\\missing.scr"), 3);
  EXPECT_EQ(ReadError(Dir), 5);
  try {
    PlatformFiles().ReadAll(Dir + "\\missing.scr");
  } catch (const EInOutError &e) {
    EXPECT_EQ(e.Message, "File not found");
  }
}

TEST_F(Win32Files, LockedFileIsASharingViolation) {
  std::string path = Write("locked", "x");
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  int error = ReadError(path);
  CloseHandle(lock);
  EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
}

TEST_F(Win32Files, FileExistsCountsNoDirectories) {
  EXPECT_TRUE(PlatformFiles().FileExists(Write("video.avi", "")));
  EXPECT_FALSE(PlatformFiles().FileExists(Dir));
  EXPECT_FALSE(PlatformFiles().FileExists(Dir + "\\missing"));
}

} // namespace
