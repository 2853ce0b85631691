// A test helper that plays an mpv started with --input-ipc-server=NAME on
// Windows: it makes the named pipe \\.\pipe\NAME, serves one client at a
// time (and the next once one leaves), and plays a scripted
// timeline at rate 1 with a time-pos change for every frame.
//
//   mpv_pipe_standin NAME LOG [--start S] [--fps N] [--duration S]
//                    [--close-file PATH] [--close-after S] [--bulk BYTES]
//
// It answers observe_property (success, then the property's value), get_property,
// set_property pause and seek (absolute or relative; a "seek" event, then
// "playback-restart" 30 ms later) as mpv does. Like mpv it writes its events
// whether or not the client reads, and waits while the pipe is full: a write
// that waits longer than 50 ms is logged as a stall. --bulk adds a log-message
// event of that many bytes to every frame, to keep the pipe busy. It closes
// the pipe and ends once PATH exists or S seconds have passed.
//
// LOG gets one line per happening, each after the moment (seconds on the
// performance counter, the clock every process of the machine shares):
//   T listen NAME | T client | T client gone | T close
//   T got LINE            a line the client sent
//   T clock POS playing|paused   the timeline's anchor: POS at T, moving or not
//   T time-pos POS        a frame shown (and sent, when observed)
//   T stall MS            a write that waited MS for the client to read
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return static_cast<double>(value.QuadPart);
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / frequency;
}

struct TOptions {
  std::string Name, LogPath, CloseFile;
  double Start = 0, Fps = 25, Duration = 60, CloseAfter = -1;
  size_t Bulk = 0;
};

FILE *Log = nullptr;

void Note(const std::string &text) {
  std::fprintf(Log, "%.6f %s\n", Now(), text.c_str());
  std::fflush(Log);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

// The scripted playback: a position moving at rate 1 from an anchor, or
// standing, within [0, duration].
class TTimeline {
public:
  TTimeline(const TOptions &options) : FFps(options.Fps), FDuration(options.Duration) {
    Anchor(options.Start, true, Now());
  }
  double Position(double at) const {
    double position = FPosition + (FPlaying ? at - FAt : 0);
    return position < FDuration ? position : FDuration;
  }
  // The frame on screen and its time, as mpv's time-pos gives it.
  long long Frame(double at) const { return static_cast<long long>(Position(at) * FFps + 1e-9); }
  double FrameTime(double at) const { return Frame(at) / FFps; }
  // When the next frame is due, while playing.
  double NextFrameAt(double at) const {
    if (!FPlaying || AtEnd(at)) return at + 0.02;
    return FAt + ((Frame(at) + 1) / FFps - FPosition);
  }
  bool Playing() const { return FPlaying; }
  bool AtEnd(double at) const { return Position(at) >= FDuration; }
  void SetPlaying(bool playing, double at) { Anchor(Position(at), playing, at); }
  void SeekTo(double position, double at) {
    Anchor(position < 0 ? 0 : position > FDuration ? FDuration : position, FPlaying, at);
  }

private:
  void Anchor(double position, bool playing, double at) {
    FPosition = position;
    FAt = at;
    FPlaying = playing;
    char text[64];
    std::snprintf(text, sizeof text, "clock %.6f %s", position, playing ? "playing" : "paused");
    std::fprintf(Log, "%.6f %s\n", at, text);
    std::fflush(Log);
  }
  double FFps, FDuration, FPosition = 0, FAt = 0;
  bool FPlaying = true;
};

// The elements of a command line's "command" array, strings unquoted.
std::vector<std::string> CommandOf(const std::string &line) {
  std::vector<std::string> items;
  size_t at = line.find("\"command\"");
  if (at == std::string::npos || (at = line.find('[', at)) == std::string::npos) return items;
  std::string item;
  bool quoted = false, any = false;
  for (++at; at < line.size(); ++at) {
    char c = line[at];
    if (quoted) {
      if (c == '\\' && at + 1 < line.size())
        item += line[++at];
      else if (c == '"')
        quoted = false;
      else
        item += c;
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ',' || c == ']') {
      if (any || !item.empty()) items.push_back(item);
      item.clear();
      any = false;
      if (c == ']') break;
    } else if (c != ' ') {
      item += c;
    }
  }
  return items;
}

long long RequestOf(const std::string &line) {
  size_t at = line.find("\"request_id\":");
  return at == std::string::npos ? 0 : std::strtoll(line.c_str() + at + 13, nullptr, 10);
}

class TStandIn {
public:
  TStandIn(const TOptions &options) : FOptions(options), FTimeline(options), FBegun(Now()) {
    FRead.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FWrite.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }

  // Serves clients one after the other until told to close.
  int Run() {
    const std::string path = "\\\\.\\pipe\\" + FOptions.Name;
    bool first = true;
    for (;;) {
      FPipe = CreateNamedPipeA(
          path.c_str(),
          PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
          PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
      if (FPipe == INVALID_HANDLE_VALUE) {
        Note("cannot make the pipe: error " + std::to_string(GetLastError()));
        return 1;
      }
      if (first) Note("listen " + FOptions.Name);
      first = false;
      if (!Accept()) break;
      Note("client");
      bool closing = !Serve();
      DisconnectNamedPipe(FPipe);
      CloseHandle(FPipe);
      FPipe = INVALID_HANDLE_VALUE;
      if (closing) return 0;
      Note("client gone");
    }
    CloseHandle(FPipe);
    return 0;
  }

private:
  bool CloseDue() {
    bool due = (FOptions.CloseAfter >= 0 && Now() - FBegun >= FOptions.CloseAfter) ||
               (!FOptions.CloseFile.empty() &&
                GetFileAttributesA(FOptions.CloseFile.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (due) Note("close");
    return due;
  }

  // False when told to close before a client came.
  bool Accept() {
    ResetEvent(FRead.hEvent);
    if (ConnectNamedPipe(FPipe, &FRead) || GetLastError() == ERROR_PIPE_CONNECTED) return true;
    while (WaitForSingleObject(FRead.hEvent, 10) != WAIT_OBJECT_0) {
      if (CloseDue()) {
        CancelIoEx(FPipe, &FRead);
        return false;
      }
    }
    DWORD count;
    return GetOverlappedResult(FPipe, &FRead, &count, FALSE) != 0;
  }

  // One client, until it leaves (true) or the stand-in is told to close (false).
  bool Serve() {
    FObserved.clear();
    FInput.clear();
    FLastFrame = -1;
    FSeeking = false;
    FEofSent = false;
    FConnected = true;
    StartRead();
    while (FConnected) {
      if (CloseDue()) return false;
      const double at = Now();
      if (FSeeking && at >= FRestartAt) {
        FSeeking = false;
        FLastFrame = -1;
        Send("{\"event\":\"playback-restart\"}\n");
      }
      if (!FSeeking) ShowFrame(at);
      double wait = (FSeeking ? FRestartAt : FTimeline.NextFrameAt(at)) - Now();
      DWORD ms = wait <= 0 ? 0 : wait >= 0.02 ? 20 : static_cast<DWORD>(std::ceil(wait * 1000));
      if (WaitForSingleObject(FRead.hEvent, ms) == WAIT_OBJECT_0) TakeRead();
    }
    return true;
  }

  void ShowFrame(double at) {
    long long frame = FTimeline.Frame(at);
    if (frame == FLastFrame) return;
    FLastFrame = frame;
    const double position = FTimeline.FrameTime(at);
    Note("time-pos " + Number(position));
    Changed("time-pos");
    if (FOptions.Bulk > 0)
      Send("{\"event\":\"log-message\",\"prefix\":\"standin\",\"level\":\"v\",\"text\":\"" +
           std::string(FOptions.Bulk, 'x') + "\"}\n");
    if (FTimeline.AtEnd(at) && !FEofSent) {
      FEofSent = true;
      Changed("eof-reached");
    }
  }

  std::string Value(const std::string &name) {
    const double at = Now();
    if (name == "time-pos") return Number(FTimeline.FrameTime(at));
    if (name == "pause") return FTimeline.Playing() ? "false" : "true";
    if (name == "duration") return Number(FOptions.Duration);
    if (name == "container-fps" || name == "estimated-vf-fps") return Number(FOptions.Fps);
    if (name == "speed") return "1.000000";
    if (name == "eof-reached") return FTimeline.AtEnd(at) ? "true" : "false";
    if (name == "paused-for-cache") return "false";
    return "";
  }

  // A property-change event for each observation of `name`; a property
  // without a value comes without data, as mpv sends it.
  void Changed(const std::string &name) {
    for (auto &[id, observed] : FObserved) {
      if (observed != name) continue;
      std::string value = Value(name);
      Send("{\"event\":\"property-change\",\"id\":" + std::to_string(id) + ",\"name\":\"" + name +
           "\"" + (value.empty() ? "" : ",\"data\":" + value) + "}\n");
    }
  }

  void Reply(long long request, const std::string &error, const std::string &data = "") {
    Send("{" + (data.empty() ? "" : "\"data\":" + data + ",") +
         "\"request_id\":" + std::to_string(request) + ",\"error\":\"" + error + "\"}\n");
  }

  void Handle(const std::string &line) {
    Note("got " + line);
    const std::vector<std::string> command = CommandOf(line);
    const long long request = RequestOf(line);
    const double at = Now();
    if (command.empty()) return Reply(request, "invalid parameter");
    const std::string &verb = command[0];
    if (verb == "observe_property" && command.size() == 3) {
      FObserved[std::atoll(command[1].c_str())] = command[2];
      Reply(request, "success");
      return Changed(command[2]);
    }
    if (verb == "get_property" && command.size() == 2) {
      std::string value = Value(command[1]);
      return value.empty() ? Reply(request, "property unavailable")
                           : Reply(request, "success", value);
    }
    if (verb == "set_property" && command.size() == 3 && command[1] == "pause") {
      // mpv tells a change of the value only.
      const bool was = FTimeline.Playing();
      FTimeline.SetPlaying(command[2] != "true", at);
      Reply(request, "success");
      if (was != FTimeline.Playing()) Changed("pause");
      return;
    }
    if (verb == "seek" && command.size() >= 2) {
      const std::string mode = command.size() > 2 ? command[2] : "relative";
      const double amount = std::atof(command[1].c_str());
      FTimeline.SeekTo(mode.rfind("absolute", 0) == 0 ? amount : FTimeline.Position(at) + amount,
                       at);
      Reply(request, "success");
      Send("{\"event\":\"seek\"}\n");
      FSeeking = true;
      FRestartAt = at + 0.03;
      return;
    }
    Reply(request, "unsupported command");
  }

  void StartRead() {
    ResetEvent(FRead.hEvent);
    if (!ReadFile(FPipe, FBuffer, sizeof FBuffer, nullptr, &FRead) &&
        GetLastError() != ERROR_IO_PENDING)
      FConnected = false;
  }

  void TakeRead() {
    DWORD count = 0;
    if (!GetOverlappedResult(FPipe, &FRead, &count, FALSE)) {
      FConnected = false;
      return;
    }
    FInput.append(FBuffer, count);
    for (size_t end; (end = FInput.find('\n')) != std::string::npos;) {
      std::string line = FInput.substr(0, end);
      FInput.erase(0, end + 1);
      if (!line.empty()) Handle(line);
    }
    if (FConnected) StartRead();
  }

  // Waits, as mpv does, until the client has taken the bytes (up to 10 s, then
  // the client counts as gone).
  void Send(const std::string &bytes) {
    if (!FConnected) return;
    const double began = Now();
    ResetEvent(FWrite.hEvent);
    DWORD count = 0;
    if (!WriteFile(FPipe, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &FWrite) &&
        GetLastError() != ERROR_IO_PENDING) {
      FConnected = false;
      return;
    }
    if (WaitForSingleObject(FWrite.hEvent, 10000) != WAIT_OBJECT_0) {
      CancelIoEx(FPipe, &FWrite);
      GetOverlappedResult(FPipe, &FWrite, &count, TRUE);
      Note("stall 10000 (write given up)");
      FConnected = false;
      return;
    }
    if (!GetOverlappedResult(FPipe, &FWrite, &count, FALSE)) FConnected = false;
    const double waited = Now() - began;
    if (waited > 0.05) Note("stall " + std::to_string(static_cast<long>(waited * 1000)));
  }

  TOptions FOptions;
  TTimeline FTimeline;
  double FBegun;
  HANDLE FPipe = INVALID_HANDLE_VALUE;
  OVERLAPPED FRead{}, FWrite{};
  char FBuffer[4096];
  std::string FInput;
  std::map<long long, std::string> FObserved;
  long long FLastFrame = -1;
  bool FSeeking = false, FEofSent = false, FConnected = false;
  double FRestartAt = 0;
};

} // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: mpv_pipe_standin NAME LOG [--start S] [--fps N] [--duration S] "
                         "[--close-file PATH] [--close-after S] [--bulk BYTES]\n");
    return 2;
  }
  TOptions options;
  options.Name = argv[1];
  options.LogPath = argv[2];
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--start")
      options.Start = std::atof(value.c_str());
    else if (option == "--fps")
      options.Fps = std::atof(value.c_str());
    else if (option == "--duration")
      options.Duration = std::atof(value.c_str());
    else if (option == "--close-file")
      options.CloseFile = value;
    else if (option == "--close-after")
      options.CloseAfter = std::atof(value.c_str());
    else if (option == "--bulk")
      options.Bulk = std::strtoul(value.c_str(), nullptr, 10);
    else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  if (!(options.Fps > 0 && options.Fps < 1000)) {
    std::fprintf(stderr, "--fps must be between 0 and 1000\n");
    return 2;
  }
  Log = std::fopen(options.LogPath.c_str(), "wb");
  if (!Log) {
    std::fprintf(stderr, "cannot write %s\n", options.LogPath.c_str());
    return 2;
  }
  return TStandIn(options).Run();
}
