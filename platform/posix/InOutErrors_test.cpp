// errno values become the system's I/O errors; unmapped ones never borrow
// the message of a system error that happens to share their number.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/posix/InOutErrors.h"

TEST(InOutErrorFromErrno, MappedValuesTakeTheSystemNumbersAndMessages) {
  EXPECT_EQ(InOutErrorFromErrno(ENOENT).ErrorCode, 2);
  EXPECT_EQ(InOutErrorFromErrno(ENOENT).Message, "File not found");
  EXPECT_EQ(InOutErrorFromErrno(ENAMETOOLONG).Message, "Invalid filename");
  EXPECT_EQ(InOutErrorFromErrno(EMFILE).Message, "Too many open files");
  EXPECT_EQ(InOutErrorFromErrno(EACCES).Message, "File access denied");
  EXPECT_EQ(InOutErrorFromErrno(EPERM).ErrorCode, 5);
  EXPECT_EQ(InOutErrorFromErrno(ENOSPC).Message, "Disk full");
}

TEST(InOutErrorFromErrno, OtherValuesReadAsPlainIOErrorsEvenWhenTheNumberCollides) {
  EXPECT_EQ(InOutErrorFromErrno(EIO).ErrorCode, EIO);
  EXPECT_EQ(InOutErrorFromErrno(EIO).Message, "I/O error " + std::to_string(EIO));
  EXPECT_EQ(InOutErrorFromErrno(EINTR).Message, "I/O error " + std::to_string(EINTR));
  EXPECT_EQ(InOutErrorFromErrno(EISDIR).Message, "I/O error " + std::to_string(EISDIR));
  EXPECT_EQ(InOutErrorFromErrno(ENETDOWN).Message, "I/O error " + std::to_string(ENETDOWN));
}
