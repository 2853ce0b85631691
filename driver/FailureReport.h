// The top-level failure report: one text naming the error's kind, the module
// and code address where it was raised, and its message.
#pragma once

#include <exception>
#include <string>

class Exception;

// "Exception <kind> in module <module> at <address>.\n<message>" with a "."
// after the message unless it already ends with one. `module` loses its
// directory; the address is written in uppercase hexadecimal, zero-padded to
// the width of a pointer.
std::string FormatFailureReport(const std::string &kindName, const std::string &module,
                                const void *address, const std::string &message);

// The report for a failure that reached the top level.
std::string FailureReport(const Exception &error);
// The same for failures of the language runtime (out of memory and the like).
std::string FailureReport(const std::exception &error);
