// The POSIX file system beyond what every file system does: errno mapped
// onto the system's I/O error numbers, relative names, and the refusal of
// what is no plain file or too large a one.
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "platform/FileRefusals.h"

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

  // ReadError's "number message" for `path`, read in a child process that
  // is ended after five seconds ("waited on"), so no read can hang the test.
  static std::string ReadErrorWithin5Seconds(const std::string &path) {
    int ends[2];
    if (pipe(ends) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
      close(ends[0]);
      alarm(5);
      std::string result = "read";
      try {
        PlatformFiles().ReadAll(path);
      } catch (const EInOutError &e) {
        result = std::to_string(e.ErrorCode) + " " + e.Message;
      }
      ssize_t written = write(ends[1], result.data(), result.size());
      _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    close(ends[1]);
    std::string result;
    char chunk[256];
    for (ssize_t got; (got = read(ends[0], chunk, sizeof chunk)) > 0;)
      result.append(chunk, static_cast<size_t>(got));
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? "waited on" : result;
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

// What is no plain file is refused by name and at once: a FIFO without a
// writer made the open wait for ever, /dev/zero filled memory without end.
TEST_F(PosixFiles, NonFilesAreRefusedByNameWithoutWaiting) {
  const std::string fifo = Dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = Dir + "/socket";
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);

  const struct {
    std::string Path;
    std::string Expected;
  } cases[] = {
      {fifo, "5 " + fifo + " is a FIFO, not a file"},
      {"/dev/zero", "5 /dev/zero is a character device, not a file"},
      {socketPath, "5 " + socketPath + " is a socket, not a file"},
      {Dir, "5 File access denied"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ReadErrorWithin5Seconds(c.Path), c.Expected);
  close(listener);
}

// The size limit, on sparse files that take no disk: the limit itself is
// read, one byte more is refused before anything is read.
TEST_F(PosixFiles, FilesPastTheSizeLimitAreRefused) {
  const std::string limit = Write("limit", ""), over = Write("over", "");
  ASSERT_EQ(truncate(limit.c_str(), static_cast<off_t>(MaxScriptFileBytes)), 0);
  ASSERT_EQ(truncate(over.c_str(), static_cast<off_t>(MaxScriptFileBytes + 1)), 0);
  EXPECT_EQ(PlatformFiles().ReadAll(limit).size(), MaxScriptFileBytes);
  try {
    PlatformFiles().ReadAll(over);
    ADD_FAILURE() << "read";
  } catch (const EInOutError &e) {
    EXPECT_EQ(e.Message, over + " is larger than 64 MB: not a subtitle file");
  }
}

} // namespace
