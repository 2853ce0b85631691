// The real file system on Windows: the file-exists test and whole-file reads
// of disk files only through CreateFileA and ReadFile, failing with the
// system error number.
#include "platform/Files.h"

#include <cstdint>

#include "platform/win32/WindowsApi.h"

#include "base/Errors.h"
#include "platform/FileRefusals.h"

namespace {

class TWin32Files : public IFileSystem {
public:
  bool FileExists(const std::string &name) override {
    DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string ReadAll(const std::string &name) override {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Raise(EInOutError(static_cast<int>(GetLastError())));

    std::string bytes;
    try {
      ReadFrom(file, name, bytes);
    } catch (...) {
      CloseHandle(file);
      throw;
    }
    if (!CloseHandle(file)) Raise(EInOutError(static_cast<int>(GetLastError())));
    return bytes;
  }

  std::string ReadHead(const std::string &name, size_t limit) override {
    std::string bytes;
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    // Only a disk file: bytes taken from a pipe or a console would be missing
    // when the file is read whole afterwards.
    if (GetFileType(file) != FILE_TYPE_DISK) {
      CloseHandle(file);
      return bytes;
    }
    bytes.resize(limit);
    size_t got = 0;
    DWORD n = 0;
    while (got < limit &&
           ReadFile(file, bytes.data() + got, static_cast<DWORD>(limit - got), &n, nullptr) &&
           n > 0)
      got += n;
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
  }

  std::vector<std::string> ListDirectory(const std::string &directory) override {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const std::string pattern = (directory.empty() ? std::string(".") : directory) + "\\*";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
      names.emplace_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }

private:
  // Reads the whole file into `bytes`, raising for a failure. Only a disk
  // file is read: a console or a device (NUL, CON) and a pipe are refused by
  // name, as the POSIX reader refuses them, before anything is read.
  static void ReadFrom(HANDLE file, const std::string &name, std::string &bytes) {
    switch (GetFileType(file)) {
    case FILE_TYPE_DISK: break;
    case FILE_TYPE_CHAR: Raise(NotAFileError(name, "a character device"));
    case FILE_TYPE_PIPE: Raise(NotAFileError(name, "a pipe"));
    default: Raise(NotAFileError(name, "a special file"));
    }
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size)) {
      if (static_cast<uint64_t>(size.QuadPart) > MaxScriptFileBytes) Raise(TooLargeError(name));
      if (size.QuadPart > 0) bytes.reserve(static_cast<size_t>(size.QuadPart));
    }
    char chunk[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) return;
        Raise(EInOutError(static_cast<int>(error)));
      }
      if (got == 0) return;
      // A file that grows while it is read stops at the same limit.
      if (bytes.size() + got > MaxScriptFileBytes) Raise(TooLargeError(name));
      bytes.append(chunk, got);
    }
  }
};

} // namespace

IFileSystem &PlatformFiles() {
  static TWin32Files files;
  return files;
}
