// Maps errno onto the system's I/O errors.
#include "platform/posix/InOutErrors.h"

#include <cerrno>

EInOutError InOutErrorFromErrno(int error) {
  switch (error) {
  case ENOENT: return EInOutError(2);
  case ENAMETOOLONG: return EInOutError(3);
  case EMFILE: return EInOutError(4);
  case EACCES:
  case EPERM: return EInOutError(5);
  case ENOSPC: return EInOutError(101);
  default: return EInOutError(error, "I/O error " + std::to_string(error));
  }
}
