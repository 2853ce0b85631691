// A test helper that plays the user at a console: it makes a fresh console,
// starts a program in it, then follows a list of actions (wait for a text in
// the program's output, type a key, check the console). It ends with 0 when
// every action passed and the program has ended, with 90 otherwise.
//
//   console_typist ACTIONS OUTPUT -- COMMAND LINE
//
// The program's standard output and error go to the file OUTPUT, its standard
// input is the console; with OUTPUT "-" all three are the console's, as when
// a user starts it from a command prompt, and its output is read from the
// console's screen. ACTIONS holds one action a line:
//   wait TEXT       the output shows TEXT once more than at the last wait for
//                   the same TEXT (so a second wait needs a second TEXT)
//   stamp TEXT      as wait, looking every millisecond, then writes
//                   "stamp SECONDS TEXT" to stdout: the moment it was seen on
//                   the performance counter, which every process shares
//   key C           a key press and release of character C ("space", "enter")
//   sleep MS
//   attach TITLE    move to the program's own console, once its title is TITLE
//   screen TEXT     the console's screen buffer shows TEXT
//   size W H        the console's screen buffer is W by H
//   cursor hidden   the console's cursor is hidden
//   exit N          the program ends with exit code N
//   dump            writes the screen's rows, trailing blanks cut, to stdout
// A failed action ends the program and this helper with exit code 90.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

constexpr DWORD PollMs = 50;
constexpr DWORD ActionLimitMs = 20000;

HANDLE Report = INVALID_HANDLE_VALUE;
PROCESS_INFORMATION Program{};

void Say(const std::string &text) {
  std::string line = text + "\n";
  DWORD written;
  WriteFile(Report, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

[[noreturn]] void Fail(const std::string &text) {
  Say("console_typist: " + text);
  if (Program.hProcess) TerminateProcess(Program.hProcess, 99);
  ExitProcess(90);
}

std::string ReadFileText(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Retries `done` until it holds or the action's time is up.
template <class F> bool Within(F done) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > ActionLimitMs) return false;
    Sleep(PollMs);
  }
}

HANDLE OpenConsole(const char *name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

void TypeKey(char ch) {
  INPUT_RECORD records[2] = {};
  for (int i = 0; i < 2; ++i) {
    records[i].EventType = KEY_EVENT;
    records[i].Event.KeyEvent.bKeyDown = i == 0;
    records[i].Event.KeyEvent.wRepeatCount = 1;
    records[i].Event.KeyEvent.wVirtualKeyCode = VkKeyScanA(ch) & 0xFF;
    records[i].Event.KeyEvent.uChar.AsciiChar = ch;
  }
  HANDLE input = OpenConsole("CONIN$");
  DWORD written = 0;
  BOOL ok = WriteConsoleInputA(input, records, 2, &written);
  CloseHandle(input);
  if (!ok || written != 2) Fail("cannot type '" + std::string(1, ch) + "'");
}

std::string ScreenText() {
  HANDLE output = OpenConsole("CONOUT$");
  CONSOLE_SCREEN_BUFFER_INFO info;
  std::string text;
  if (GetConsoleScreenBufferInfo(output, &info)) {
    text.resize(static_cast<size_t>(info.dwSize.X) * info.dwSize.Y);
    DWORD read = 0;
    ReadConsoleOutputCharacterA(output, text.data(), static_cast<DWORD>(text.size()), {0, 0},
                                &read);
    text.resize(read);
  }
  CloseHandle(output);
  return text;
}

bool Attach(const std::string &title) {
  FreeConsole();
  if (!AttachConsole(Program.dwProcessId)) return false;
  char current[512] = {};
  GetConsoleTitleA(current, sizeof current);
  return title == current;
}

class TActions {
public:
  explicit TActions(std::string outputPath) : FOutputPath(std::move(outputPath)) {}

  void Run(const std::string &verb, const std::string &rest) {
    if (verb == "wait") return Wait(rest);
    if (verb == "stamp") return Stamp(rest);
    if (verb == "key") return TypeKey(rest == "space" ? ' ' : rest == "enter" ? '\r' : rest.at(0));
    if (verb == "sleep") return Sleep(std::stoul(rest));
    if (verb == "attach") {
      if (!Within([&] { return Attach(rest); })) Fail("no console titled '" + rest + "'");
      return;
    }
    if (verb == "screen") {
      return Show([&] { return ScreenText().find(rest) != std::string::npos; },
                  "the screen never showed '" + rest + "'", ScreenText);
    }
    if (verb == "size") return CheckSize(rest);
    if (verb == "cursor") return CheckCursorHidden();
    if (verb == "exit") return CheckExit(std::stoul(rest));
    if (verb == "dump") return Dump();
    Fail("unknown action '" + verb + "'");
  }

private:
  void Wait(const std::string &text) {
    int wanted = ++FWaits[text];
    Show([&] { return Occurrences(Output(), text) >= wanted; },
         "the output never showed '" + text + "' " + std::to_string(wanted) + " times",
         [this] { return Output(); });
  }

  void Stamp(const std::string &text) {
    int wanted = ++FWaits[text];
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    DWORD start = GetTickCount();
    for (;;) {
      QueryPerformanceCounter(&count);
      if (Occurrences(Output(), text) >= wanted) break;
      if (GetTickCount() - start > ActionLimitMs ||
          WaitForSingleObject(Program.hProcess, 0) == WAIT_OBJECT_0)
        Fail("the output never showed '" + text + "' " + std::to_string(wanted) + " times:\n" +
             Output());
      Sleep(1);
    }
    char moment[40];
    std::snprintf(moment, sizeof moment, "%.6f",
                  static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart));
    Say("stamp " + std::string(moment) + " " + text);
  }

  // Waits until `shown`; a program that has ended fails at once rather than
  // at the end of the action's time.
  template <class F, class G> void Show(F shown, const std::string &failure, G text) {
    bool ended = false;
    Within([&] {
      ended = WaitForSingleObject(Program.hProcess, 0) == WAIT_OBJECT_0;
      return shown() || ended;
    });
    if (shown()) return;
    Fail(failure + (ended ? " (the program has ended)" : "") + ":\n" + text());
  }

  std::string Output() { return FOutputPath == "-" ? ScreenText() : ReadFileText(FOutputPath); }

  static int Occurrences(const std::string &text, const std::string &part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
      ++count;
    return count;
  }

  void Dump() {
    HANDLE output = OpenConsole("CONOUT$");
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(output, &info);
    CloseHandle(output);
    std::string screen = ScreenText();
    size_t width = info.dwSize.X > 0 ? info.dwSize.X : 1;
    for (size_t row = 0; row * width < screen.size(); ++row) {
      std::string line = screen.substr(row * width, width);
      line.erase(line.find_last_not_of(' ') + 1);
      Say(line);
    }
  }

  // The program sets up its console step by step after its title: the
  // checks retry until it is done.
  void CheckSize(const std::string &rest) {
    int width = 0, height = 0;
    std::sscanf(rest.c_str(), "%d %d", &width, &height);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    bool sized = Within([&] {
      HANDLE output = OpenConsole("CONOUT$");
      GetConsoleScreenBufferInfo(output, &info);
      CloseHandle(output);
      return info.dwSize.X == width && info.dwSize.Y == height;
    });
    if (!sized)
      Fail("the buffer is " + std::to_string(info.dwSize.X) + "x" + std::to_string(info.dwSize.Y) +
           ", not " + rest);
  }

  void CheckCursorHidden() {
    bool hidden = Within([] {
      HANDLE output = OpenConsole("CONOUT$");
      CONSOLE_CURSOR_INFO cursor{};
      GetConsoleCursorInfo(output, &cursor);
      CloseHandle(output);
      return !cursor.bVisible;
    });
    if (!hidden) Fail("the cursor is visible");
  }

  void CheckExit(DWORD expected) {
    if (WaitForSingleObject(Program.hProcess, ActionLimitMs) != WAIT_OBJECT_0)
      Fail("the program did not end");
    DWORD code = 0;
    GetExitCodeProcess(Program.hProcess, &code);
    if (code != expected)
      Fail("exit code " + std::to_string(code) + ", not " + std::to_string(expected) + ":\n" +
           Output());
  }

  std::string FOutputPath;
  std::map<std::string, int> FWaits;
};

// The command line after " -- ", exactly as this helper was given it.
std::string ProgramCommandLine() {
  std::string line = GetCommandLineA();
  size_t split = line.find(" -- ");
  return split == std::string::npos ? "" : line.substr(split + 4);
}

} // namespace

int main(int argc, char **argv) {
  Report = GetStdHandle(STD_OUTPUT_HANDLE);
  std::string command = ProgramCommandLine();
  if (argc < 4 || command.empty()) {
    Say("usage: console_typist ACTIONS OUTPUT -- COMMAND LINE");
    return 2;
  }
  std::ifstream actions(argv[1]);
  if (!actions) Fail(std::string("cannot read ") + argv[1]);
  std::string outputPath = argv[2];

  FreeConsole();
  if (!AllocConsole()) Fail("no console");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  HANDLE output = nullptr;
  if (outputPath != "-") {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE input =
        CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE || input == INVALID_HANDLE_VALUE)
      Fail("cannot open handles");
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &Program))
    Fail("cannot start: " + command);
  if (output) CloseHandle(output);

  TActions runner(outputPath);
  std::string line;
  while (std::getline(actions, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t space = line.find(' ');
    runner.Run(line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1));
  }

  // The program's own end, bounded, whatever the actions were.
  if (WaitForSingleObject(Program.hProcess, ActionLimitMs) != WAIT_OBJECT_0)
    Fail("the program did not end");
  return 0;
}
