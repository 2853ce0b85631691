// The Windows command-line splitter: pieces separated by control bytes and
// blanks, with double-quoted stretches.
#include "base/CommandLineSplit.h"

namespace {

bool IsSeparator(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

// Skips separators and "" pairs in front of the next piece.
size_t SkipToPiece(const std::string &line, size_t at) {
  for (;;) {
    while (at < line.size() && IsSeparator(line[at]))
      ++at;
    if (at + 1 < line.size() && line[at] == '"' && line[at + 1] == '"')
      at += 2;
    else
      return at;
  }
}

// Reads one piece starting at `at`; returns the position after it.
size_t ReadPiece(const std::string &line, size_t at, std::string &piece) {
  piece.clear();
  while (at < line.size() && line[at] != '\0' && !IsSeparator(line[at])) {
    if (line[at] != '"') {
      piece += line[at++];
      continue;
    }
    ++at; // the opening quote
    while (at < line.size() && line[at] != '\0' && line[at] != '"')
      piece += line[at++];
    if (at < line.size() && line[at] == '"') ++at; // the closing quote
  }
  return at;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string &commandLine) {
  // The line ends at its first NUL, as the system's own string would.
  const std::string line = commandLine.substr(0, commandLine.find('\0'));
  std::vector<std::string> pieces;
  std::string piece;
  size_t at = 0;
  for (;;) {
    at = ReadPiece(line, SkipToPiece(line, at), piece);
    // An empty piece only arises at the end of the line.
    if (piece.empty()) break;
    pieces.push_back(piece);
  }
  return pieces;
}

std::vector<std::string> CommandLineArguments(const std::string &commandLine) {
  std::vector<std::string> pieces = SplitCommandLine(commandLine);
  if (!pieces.empty()) pieces.erase(pieces.begin());
  return pieces;
}
