// The POSIX file system beyond what every file system does: errno mapped
// onto the system's I/O error numbers, and relative names.
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/Errors.h"

namespace {

class PosixFiles : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/cuestrip-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + Dir + "'").c_str()); }

  std::string Write(const std::string &name, const std::string &bytes) {
    std::string path = Dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // The error number ReadAll raises for `path`, or -1 when it reads.
  int ReadError(const std::string &path) {
    try {
      PlatformFiles().ReadAll(path);
      return -1;
    } catch (const EInOutError &e) {
      return e.ErrorCode;
    }
  }

  std::string Dir;
};

TEST_F(PosixFiles, ErrorsCarryTheSystemsNumbers) {
  EXPECT_EQ(ReadError(Dir + "/" + std::string(300, 'n')), 3);
  // Errors without a number of their own carry the errno (ENOTDIR here).
  std::string file = Write("plain", "x");
  EXPECT_EQ(ReadError(file + "/below"), ENOTDIR);
  try {
    PlatformFiles().ReadAll(file + "/below");
  } catch (const EInOutError &e) {
    EXPECT_EQ(e.Message, "I/O error " + std::to_string(ENOTDIR));
  }
}

TEST_F(PosixFiles, UnreadableFileIsAccessDenied) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  std::string path = Write("locked", "x");
  chmod(path.c_str(), 0);
  EXPECT_EQ(ReadError(path), 5);
}

TEST_F(PosixFiles, TooManyOpenFiles) {
  std::string path = Write("ok", "x");
  // Once beforehand, so nothing the sanitizers check on a first call needs a
  // descriptor while none is left.
  ASSERT_EQ(ReadError(path), -1);
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  int lowest = dup(0);
  ASSERT_GE(lowest, 0);
  close(lowest);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(lowest);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  int error = ReadError(path);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(error, 4);
}

TEST_F(PosixFiles, FileExistsTakesRelativeNamesFromTheCurrentDirectory) {
  Write("video.avi", "");
  // A relative name is taken relative to the current directory.
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(Dir.c_str()), 0);
  bool relative = PlatformFiles().FileExists("video.avi");
  ASSERT_EQ(chdir(old), 0);
  EXPECT_TRUE(relative);
}

// The head of a pipe is not taken: the whole read that follows needs it.
TEST_F(PosixFiles, HeadOfAPipeIsLeftUnread) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  ASSERT_EQ(write(ends[1], "abc", 3), 3);
  close(ends[1]);
  EXPECT_EQ(PlatformFiles().ReadHead("/dev/fd/" + std::to_string(ends[0]), 400), "");
  char got[4] = {};
  EXPECT_EQ(read(ends[0], got, 3), 3);
  EXPECT_STREQ(got, "abc");
  close(ends[0]);
}

} // namespace
