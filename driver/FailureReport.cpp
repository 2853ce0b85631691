// The top-level failure report, built from the error's kind, the module that
// holds the failing code and its address.
#include "driver/FailureReport.h"

#include <cstdint>
#include <new>

#include "base/Errors.h"
#include "platform/ModuleInfo.h"

namespace {

std::string WithoutDirectory(const std::string &path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PointerText(const void *address) {
  static const char Digits[] = "0123456789ABCDEF";
  auto value = reinterpret_cast<uintptr_t>(address);
  std::string text(sizeof(void *) * 2, '0');
  for (size_t i = text.size(); i-- > 0; value >>= 4)
    text[i] = Digits[value & 15];
  return text;
}

// The module of the report: the one holding the failing code, or, for an
// error raised without an address, the program's own.
std::string ModuleOf(const void *address) {
  std::string name = ModuleFileName(address);
  if (name.empty()) name = ModuleFileName(reinterpret_cast<const void *>(&PointerText));
  return WithoutDirectory(name);
}

} // namespace

std::string FormatFailureReport(const std::string &kindName, const std::string &module,
                                const void *address, const std::string &message) {
  std::string report = "Exception " + kindName + " in module " + WithoutDirectory(module) + " at " +
                       PointerText(address) + ".\n" + message;
  if (report.back() != '.') report += '.';
  return report;
}

std::string FailureReport(const Exception &error) {
  return FormatFailureReport(error.KindName(), ModuleOf(error.Address), error.Address,
                             error.Message);
}

std::string FailureReport(const std::exception &error) {
  if (dynamic_cast<const std::bad_alloc *>(&error))
    return FormatFailureReport("EOutOfMemory", ModuleOf(nullptr), nullptr, "Out of memory");
  return FormatFailureReport("Exception", ModuleOf(nullptr), nullptr, error.what());
}
