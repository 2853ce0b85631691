// Maps errno onto the system's I/O error numbers.
#include "platform/posix/InOutErrors.h"

#include <cerrno>

int InOutErrorNumber(int error) {
  switch (error) {
  case ENOENT: return 2;
  case ENAMETOOLONG: return 3;
  case EMFILE: return 4;
  case EACCES:
  case EPERM: return 5;
  case ENOSPC: return 101;
  default: return error;
  }
}
