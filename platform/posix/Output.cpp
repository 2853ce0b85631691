// The POSIX output stream: CR LF lines on file descriptor 1, flushed per line
// to a terminal (decoded from the console's code page, from imported UTF-8
// text or from the locale's own charset, into the locale's charset) and
// written in 128-byte blocks to files and pipes.
#include "platform/Output.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

#include "base/Errors.h"
#include "base/TextRender.h"
#include "platform/CodePages.h"
#include "platform/posix/InOutErrors.h"
#include "platform/posix/PrivateDescriptor.h"
#include "platform/posix/TerminalCharset.h"

namespace {

constexpr size_t BlockSize = 128;

class TPosixOutput : public IOutput {
public:
  // Writes through a private copy of descriptor 1, taken now, before any
  // library can close or redirect the descriptor itself.
  explicit TPosixOutput(ICodePages &codePages)
      : FFd(PrivateCopy(STDOUT_FILENO)), FTerminal(isatty(FFd) == 1) {
    if (FTerminal) FCharset.emplace(codePages.GetOEMCP());
  }
  ~TPosixOutput() override { ClosePrivateCopy(FFd, STDOUT_FILENO); }

  void WriteLine(const std::string &line) override {
    if (FTerminal)
      WriteAll(FCharset->Convert(line) + "\r\n");
    else
      Buffer(line);
  }

  void WriteTextLine(const std::string &utf8, bool styled) override {
    if (FTerminal)
      WriteAll(FCharset->ConvertUtf8(RenderText(utf8, true, styled)) + "\r\n");
    else
      Buffer(RenderText(utf8, false, false));
  }

  void WriteSystemLine(const std::string &line) override {
    if (FTerminal)
      WriteAll(FCharset->ConvertUtf8(RenderText(FCharset->LocalToUtf8(line), true, false)) +
               "\r\n");
    else
      Buffer(line);
  }

  void Flush() override {
    std::string rest;
    rest.swap(FBuffer);
    if (!rest.empty()) WriteBlock(rest);
  }

private:
  void Buffer(const std::string &line) {
    FBuffer += line;
    FBuffer += "\r\n";
    while (FBuffer.size() >= BlockSize) {
      const std::string block = FBuffer.substr(0, BlockSize);
      FBuffer.erase(0, BlockSize);
      WriteBlock(block);
    }
  }

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
      const ssize_t wrote = write(FFd, bytes.data() + done, bytes.size() - done);
      if (wrote > 0) {
        done += static_cast<size_t>(wrote);
        continue;
      }
      if (wrote < 0 && errno == EINTR) continue;
      Raise(wrote < 0 ? InOutErrorFromErrno(errno) : EInOutError(101));
    }
  }

  int FFd;
  bool FTerminal;
  std::string FBuffer;
  std::optional<TTerminalCharset> FCharset; // on a terminal only
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

std::unique_ptr<IOutput> CreatePlatformOutput(ICodePages &codePages) {
  // A reader that went away makes a failed write, not a dead process.
  signal(SIGPIPE, SIG_IGN);
  ReserveStandardOutput();
  return std::make_unique<TPosixOutput>(codePages);
}
