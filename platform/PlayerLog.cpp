// The player log's shared part: lines cut from captured bytes or given whole
// by the player, cleaned, marked and let through a few a second.
#include "platform/PlayerLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Loop.h"

std::string PlayerLogLine(const std::string &text) {
  std::string line = TPlayerLog::Mark;
  const size_t start = line.size();
  for (char c : text) {
    if (line.size() - start >= TPlayerLog::MaxLineLength) break;
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == '\t')
      line += ' ';
    else if (byte >= 0x80)
      line += '?';
    else if (byte >= 0x20 && byte != 0x7f)
      line += c;
  }
  return line;
}

TPlayerLog::~TPlayerLog() {
  if (FCountTimer) FLoop.KillTimer(FCountTimer);
}

void TPlayerLog::Capture(TLogLineProc write, bool show, bool verbose) {
  FWrite = std::move(write);
  FShow = show;
  FVerbose = verbose;
  if (FCapturing) return;
  FCapturing = true;
  BeginCapture();
}

void TPlayerLog::Write(const std::string &message) {
  size_t start = 0;
  while (start <= message.size()) {
    size_t end = message.find('\n', start);
    if (end == std::string::npos) end = message.size();
    if (end > start) Add(message.substr(start, end - start));
    start = end + 1;
  }
}

bool TPlayerLog::SetLogFile(const std::string &path, std::string &error) {
  auto file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  if (!*file) {
    error = errno ? std::strerror(errno) : "cannot be opened";
    return false;
  }
  FFile = std::move(file);
  return true;
}

void TPlayerLog::Notice(const std::string &message) {
  ToFile(message);
  if (FShow && FNoticed.insert(message).second) Emit(PlayerLogLine(message));
}

// The file takes each line as the player gave it, flushed, so nothing is
// lost when the run ends abruptly.
void TPlayerLog::ToFile(const std::string &text) {
  if (!FFile) return;
  *FFile << text << '\n';
  FFile->flush();
}

void TPlayerLog::SetFailureReason(const std::string &message) {
  FReason = PlayerLogLine(message);
  FReasonShown = FReason == FLastShown;
}

void TPlayerLog::Release(bool runFailed) {
  if (!FCapturing) return;
  FCapturing = false;
  EndCapture();
  if (!FPartial.empty()) Add(FPartial);
  FPartial.clear();
  FSkipping = false;
  WriteDroppedCount();
  if (runFailed && !FReason.empty() && !FReasonShown) Emit(FReason);
  FReasonShown = true;
}

void TPlayerLog::Feed(const char *bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c == '\n' || c == '\r') {
      if (!FPartial.empty()) Add(FPartial);
      FPartial.clear();
      FSkipping = false;
    } else if (!FSkipping) {
      FPartial += c;
      // A line without end is passed on at the bound; the rest up to its
      // end is left out, so memory stays bounded whatever comes.
      if (FPartial.size() >= MaxLineLength) {
        Add(FPartial);
        FPartial.clear();
        FSkipping = true;
      }
    }
  }
}

// A few lines a second: the rest of each second's lines is counted, and the
// count shown once the second is over.
void TPlayerLog::Add(const std::string &text) {
  ToFile(text);
  if (!FShow || !FVerbose) return;
  const auto now = TClock::now();
  if (FInWindow == 0 || now - FWindowStart >= Window) {
    WriteDroppedCount();
    FWindowStart = now;
    FInWindow = 0;
  }
  if (FInWindow >= LinesPerWindow) {
    ++FDropped;
    if (!FCountTimer) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(FWindowStart + Window - now);
      FCountTimer = FLoop.SetTimer(static_cast<uint32_t>(std::max<int64_t>(left.count(), 1)),
                                   [this] { WriteDroppedCount(); });
    }
    return;
  }
  ++FInWindow;
  Emit(PlayerLogLine(text));
}

void TPlayerLog::WriteDroppedCount() {
  if (FCountTimer) FLoop.KillTimer(FCountTimer);
  FCountTimer = 0;
  if (FDropped == 0) return;
  const int dropped = FDropped;
  FDropped = 0;
  FInWindow = 0;
  Emit(Mark + std::to_string(dropped) + (dropped == 1 ? " line" : " lines") + " not shown");
}

// A log line that cannot be written is not worth ending the run for.
void TPlayerLog::Emit(const std::string &line) {
  FLastShown = line;
  if (!FWrite) return;
  try {
    FWrite(line);
  } catch (...) {
  }
}
