// The system's I/O error numbers for POSIX errno values, shared by the file
// reader and the output stream.
#pragma once

// ENOENT 2, ENAMETOOLONG 3, EMFILE 4, EACCES and EPERM 5, ENOSPC 101; any
// other errno is passed through as its own number ("I/O error n").
int InOutErrorNumber(int error);
