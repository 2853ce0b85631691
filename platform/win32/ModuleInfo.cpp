// Module lookup on Windows: the module handle whose image holds the address,
// then its file name.
#include "platform/ModuleInfo.h"

#include "platform/win32/WindowsApi.h"

std::string ModuleFileName(const void *address) {
  HMODULE module = nullptr;
  const DWORD flags =
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!address || !GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module))
    return std::string();
  char name[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(module, name, MAX_PATH);
  return std::string(name, length);
}
