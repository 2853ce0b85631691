// Test support: descriptor 1 pointed at a temporary file (see StdoutFile.h).
#include "platform/StdoutFile.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

struct TStdoutFile::TImpl {
  char Path[32] = "/tmp/cuestrip-output-XXXXXX";
  int Fd = -1;
  int Saved = -1;
};

TStdoutFile::TStdoutFile() : F(std::make_unique<TImpl>()) {
  F->Fd = mkstemp(F->Path);
  if (F->Fd < 0) return;
  fflush(stdout); // gtest's own output stays where it was
  F->Saved = dup(STDOUT_FILENO);
  dup2(F->Fd, STDOUT_FILENO);
}

TStdoutFile::~TStdoutFile() {
  if (F->Fd < 0) return;
  dup2(F->Saved, STDOUT_FILENO);
  close(F->Saved);
  close(F->Fd);
  unlink(F->Path);
}

bool TStdoutFile::Ok() const { return F->Fd >= 0 && F->Saved >= 0; }

std::string TStdoutFile::Bytes() const {
  std::string bytes;
  FILE *file = fopen(F->Path, "rb");
  if (!file) return bytes;
  char chunk[512];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
    bytes.append(chunk, got);
  fclose(file);
  return bytes;
}
