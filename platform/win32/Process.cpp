// The Windows process service: the command line cut by our own splitter, the
// program file's path, and one line of standard input.
#include "platform/Process.h"

#include "platform/win32/WindowsApi.h"

#include "base/CommandLineSplit.h"

namespace {

class TWin32Process : public IProcess {
public:
  std::vector<std::string> Arguments() override {
    const char *line = GetCommandLineA();
    return CommandLineArguments(line ? line : "");
  }

  std::string ProgramPath() override {
    std::string path(MAX_PATH, '\0');
    for (;;) {
      const DWORD length =
          GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (length == 0) return std::string();
      if (length < path.size()) {
        path.resize(length);
        return path;
      }
      path.resize(path.size() * 2);
    }
  }

  void ReadLine() override {
    // The handle is taken afresh: a new console brings a new standard input.
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
      char c;
      DWORD got = 0;
      if (!ReadFile(input, &c, 1, &got, nullptr) || got == 0) return;
      if (c == '\n' || c == '\r') return;
    }
  }

  bool SlashIsOption() override { return true; }

  void WriteErrorLine(const std::string &line) override {
    const std::string text = line + "\r\n";
    DWORD wrote = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &wrote,
              nullptr);
  }
};

} // namespace

std::unique_ptr<IProcess> CreatePlatformProcess(int, char **) {
  return std::make_unique<TWin32Process>();
}
