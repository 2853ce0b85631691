// The error kinds of the system: one base `Exception` carrying a message, the
// kind's name and the code address where it was raised, and the kinds below it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string message, int helpContext = 0)
      : Message(std::move(message)), HelpContext(helpContext) {}
  const char *what() const noexcept override { return Message.c_str(); }
  // The kind's name as the failure report shows it ("EInOutError", ...).
  virtual const char *KindName() const { return "Exception"; }

  std::string Message;
  int HelpContext = 0;
  // Code address of the raise; set by Raise(), null when thrown directly.
  const void *Address = nullptr;
};

// A failed text read or write; carries the system error number.
class EInOutError : public Exception {
public:
  explicit EInOutError(int errorCode) : Exception(InOutMessage(errorCode)), ErrorCode(errorCode) {}
  EInOutError(int errorCode, std::string message)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  const char *KindName() const override { return "EInOutError"; }
  // "File not found" for 2, ..., "I/O error %d" for numbers not in the table.
  static std::string InOutMessage(int errorCode);
  int ErrorCode;
};

class EOleError : public Exception {
public:
  using Exception::Exception;
  const char *KindName() const override { return "EOleError"; }
};

class EOleSysError : public EOleError {
public:
  EOleSysError(std::string message, int32_t errorCode, int helpContext = 0)
      : EOleError(std::move(message), helpContext), ErrorCode(errorCode) {}
  const char *KindName() const override { return "EOleSysError"; }
  int32_t ErrorCode; // the HRESULT
};

class EOleException : public EOleSysError {
public:
  EOleException(std::string message, int32_t errorCode, std::string source, std::string helpFile,
                int helpContext)
      : EOleSysError(std::move(message), errorCode, helpContext), Source(std::move(source)),
        HelpFile(std::move(helpFile)) {}
  const char *KindName() const override { return "EOleException"; }
  std::string Source;
  std::string HelpFile;
};

class EVariantError : public Exception {
public:
  using Exception::Exception;
  const char *KindName() const override { return "EVariantError"; }
};

// Throws `error` with the address of the calling code recorded in it, so the
// top-level report can name the code that failed and its module.
template <class E> [[noreturn]] __attribute__((noinline)) void Raise(E error) {
  error.Address = __builtin_extract_return_addr(__builtin_return_address(0));
  throw error;
}

// Not a failure: unwinds to main with the exit code (usage text, fatal error,
// screenplay end), so finalisation runs once, in one place.
struct TProcessEnd {
  int ExitCode;
};
