// Module lookup on POSIX: the dynamic linker knows which object maps an
// address.
#include "platform/ModuleInfo.h"

#include <dlfcn.h>

std::string ModuleFileName(const void *address) {
  Dl_info info{};
  if (!address || dladdr(address, &info) == 0 || !info.dli_fname) return std::string();
  return info.dli_fname;
}
