// The Windows command-line splitter: cuts the process's command line into
// arguments the way the program's own argument reader does.
#pragma once

#include <string>
#include <vector>

// Every piece of `commandLine`, the program's name first. Bytes 1 to 32
// separate pieces; a double quote opens a stretch that runs to the next one
// (or the end) and joins its neighbours; a "" pair where a piece would begin
// is skipped like a separator.
std::vector<std::string> SplitCommandLine(const std::string &commandLine);

// The arguments: every piece but the first (the program's name).
std::vector<std::string> CommandLineArguments(const std::string &commandLine);
