// The Windows file system beyond what every file system does: a missing
// folder and a file another process holds locked.
#include "platform/Files.h"

#include "platform/win32/WindowsApi.h"

#include <fstream>

#include <gtest/gtest.h>

#include "base/Errors.h"

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

TEST_F(Win32Files, MissingFolderIsPathNotFound) {
  EXPECT_EQ(ReadError(Dir + "\\nodir\\missing.scr"), 3);
}

TEST_F(Win32Files, LockedFileIsASharingViolation) {
  std::string path = Write("locked", "x");
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  int error = ReadError(path);
  CloseHandle(lock);
  EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
}

} // namespace
