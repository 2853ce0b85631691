// The POSIX output stream: CR LF lines on file descriptor 1, flushed per line
// to a terminal (decoded from the console's code page into the locale's
// charset) and written in 128-byte blocks to files and pipes.
#include "platform/Output.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include "platform/CodePages.h"
#include "platform/Errors.h"
#include "platform/posix/InOutErrors.h"

namespace {

constexpr size_t BlockSize = 128;

bool IsAscii(const std::string &text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

class TPosixOutput : public IOutput {
public:
  TPosixOutput() : FTerminal(isatty(STDOUT_FILENO) == 1) {
    if (FTerminal) OpenDecoder();
  }
  ~TPosixOutput() override {
    if (FDecoder != reinterpret_cast<iconv_t>(-1)) iconv_close(FDecoder);
  }

  void WriteLine(const std::string &line) override {
    if (FTerminal) {
      WriteAll(Decode(line) + "\r\n");
      return;
    }
    FBuffer += line;
    FBuffer += "\r\n";
    while (FBuffer.size() >= BlockSize) {
      const std::string block = FBuffer.substr(0, BlockSize);
      FBuffer.erase(0, BlockSize);
      WriteBlock(block);
    }
  }

  void Flush() override {
    std::string rest;
    rest.swap(FBuffer);
    if (!rest.empty()) WriteBlock(rest);
  }

private:
  // A failed block is dropped with whatever else was waiting, so a later
  // report starts on a clean buffer.
  void WriteBlock(const std::string &block) {
    try {
      WriteAll(block);
    } catch (...) {
      FBuffer.clear();
      throw;
    }
  }

  void WriteAll(const std::string &bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t wrote = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
      if (wrote > 0) {
        done += static_cast<size_t>(wrote);
        continue;
      }
      if (wrote < 0 && errno == EINTR) continue;
      Raise(wrote < 0 ? InOutErrorFromErrno(errno) : EInOutError(101));
    }
  }

  void OpenDecoder() {
    std::setlocale(LC_CTYPE, "");
    const std::string from = "CP" + std::to_string(PlatformCodePages().GetOEMCP());
    const std::string to = std::string(nl_langinfo(CODESET)) + "//TRANSLIT";
    FDecoder = iconv_open(to.c_str(), from.c_str());
  }

  // The console's bytes in the terminal's charset; a byte that cannot be
  // shown becomes "?".
  std::string Decode(const std::string &text) {
    if (FDecoder == reinterpret_cast<iconv_t>(-1) || IsAscii(text)) return text;
    iconv(FDecoder, nullptr, nullptr, nullptr, nullptr);
    std::string result;
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    char chunk[256];
    while (inLeft > 0) {
      char *out = chunk;
      size_t outLeft = sizeof chunk;
      const size_t done = iconv(FDecoder, &in, &inLeft, &out, &outLeft);
      result.append(chunk, sizeof chunk - outLeft);
      if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
      result += '?';
      ++in;
      --inLeft;
    }
    return result;
  }

  bool FTerminal;
  std::string FBuffer;
  iconv_t FDecoder = reinterpret_cast<iconv_t>(-1);
};

// fd 1 closed at start would be handed to the next file opened; park a
// read-only /dev/null there so writes fail as they would on a closed stream.
void ReserveStandardOutput() {
  if (fcntl(STDOUT_FILENO, F_GETFD) != -1 || errno != EBADF) return;
  const int parked = open("/dev/null", O_RDONLY);
  if (parked >= 0 && parked != STDOUT_FILENO) {
    dup2(parked, STDOUT_FILENO);
    close(parked);
  }
}

} // namespace

std::unique_ptr<IOutput> CreatePlatformOutput() {
  // A reader that went away makes a failed write, not a dead process.
  signal(SIGPIPE, SIG_IGN);
  ReserveStandardOutput();
  return std::make_unique<TPosixOutput>();
}
