// The I/O error for a POSIX errno value, shared by the file reader and the
// output stream.
#pragma once

#include "base/Errors.h"

// ENOENT is 2, ENAMETOOLONG 3, EMFILE 4, EACCES and EPERM 5, ENOSPC 101, each
// with its message. Any other errno keeps its own number and reads "I/O error
// n", also where that number means something else among the system's error
// numbers (EIO is 5, which must not read "File access denied").
EInOutError InOutErrorFromErrno(int error);
