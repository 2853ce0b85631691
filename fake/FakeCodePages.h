// Fixed code pages for the tests: chosen OEM and ANSI numbers and a simple
// reversible translation of the bytes from 0x80 up, counted per call.
#pragma once

#include "platform/CodePages.h"

class TFakeCodePages : public ICodePages {
public:
  explicit TFakeCodePages(uint32_t oem = 852, uint32_t ansi = 1250) : OEMCP(oem), ACP(ansi) {}
  uint32_t GetOEMCP() override { return OEMCP; }
  uint32_t GetACP() override { return ACP; }
  // ANSI to OEM moves every byte from 0x80 up one place (0xFF wraps to 0x80);
  // OEM to ANSI moves it back. Bytes below 0x80 stay.
  std::string OemToChar(const std::string &text) override;
  std::string CharToOem(const std::string &text) override;

  static char AnsiToOemByte(char c);
  static char OemToAnsiByte(char c);

  uint32_t OEMCP;
  uint32_t ACP;
  int OemToCharCalls = 0;
  int CharToOemCalls = 0;
};
