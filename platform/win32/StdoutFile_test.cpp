// Test support: the standard output handle pointed at a temporary file (see
// StdoutFile.h).
#include "platform/StdoutFile.h"

#include "platform/win32/WindowsApi.h"

struct TStdoutFile::TImpl {
  char Path[MAX_PATH] = {};
  HANDLE Handle = INVALID_HANDLE_VALUE;
  HANDLE Saved = nullptr;
};

TStdoutFile::TStdoutFile() : F(std::make_unique<TImpl>()) {
  char dir[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, dir) || !GetTempFileNameA(dir, "cue", 0, F->Path)) return;
  F->Handle = CreateFileA(F->Path, GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (F->Handle == INVALID_HANDLE_VALUE) return;
  F->Saved = GetStdHandle(STD_OUTPUT_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, F->Handle);
}

TStdoutFile::~TStdoutFile() {
  if (F->Handle == INVALID_HANDLE_VALUE) return;
  SetStdHandle(STD_OUTPUT_HANDLE, F->Saved);
  CloseHandle(F->Handle);
  DeleteFileA(F->Path);
}

bool TStdoutFile::Ok() const { return F->Handle != INVALID_HANDLE_VALUE; }

std::string TStdoutFile::Bytes() const {
  HANDLE reader = CreateFileA(F->Path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string bytes;
  char chunk[512];
  DWORD got = 0;
  while (ReadFile(reader, chunk, sizeof chunk, &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  CloseHandle(reader);
  return bytes;
}
