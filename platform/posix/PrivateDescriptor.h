// Private copies of the standard descriptors, taken at start so that a
// library closing, reopening or reusing descriptor 0, 1 or 2 later changes
// nothing for the program.
#pragma once

#include <fcntl.h>
#include <unistd.h>

// A close-on-exec copy of `fd` numbered above the standard three; `fd`
// itself when no copy can be made (no descriptor left).
inline int PrivateCopy(int fd) {
  const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  return copy >= 0 ? copy : fd;
}

// Closes a copy made by PrivateCopy, never the original.
inline void ClosePrivateCopy(int copy, int original) {
  if (copy >= 0 && copy != original) close(copy);
}
