// Module lookup: which loaded module (program or library) holds a code
// address, for the top-level failure report.
#pragma once

#include <string>

// The full file name of the module that contains `address`; empty when no
// loaded module holds it.
std::string ModuleFileName(const void *address);
