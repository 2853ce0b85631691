// Code pages service: the system's OEM and ANSI code pages and the
// translations between them.
#pragma once

#include <cstdint>
#include <string>

class ICodePages {
public:
  virtual ~ICodePages() = default;
  virtual uint32_t GetOEMCP() = 0;
  virtual uint32_t GetACP() = 0;
  // Whole-text translations; the result has the same length as the input.
  virtual std::string OemToChar(const std::string &text) = 0;
  virtual std::string CharToOem(const std::string &text) = 0;
};

// The real code pages of this platform.
ICodePages &PlatformCodePages();
