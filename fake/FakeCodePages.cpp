// The tests' fixed code pages.
#include "fake/FakeCodePages.h"

char TFakeCodePages::AnsiToOemByte(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return static_cast<char>(b < 0x80 ? b : 0x80 + (b - 0x80 + 1) % 0x80);
}

char TFakeCodePages::OemToAnsiByte(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return static_cast<char>(b < 0x80 ? b : 0x80 + (b - 0x80 + 0x7F) % 0x80);
}

std::string TFakeCodePages::OemToChar(const std::string &text) {
  ++OemToCharCalls;
  std::string result(text);
  for (char &c : result)
    c = OemToAnsiByte(c);
  return result;
}

std::string TFakeCodePages::CharToOem(const std::string &text) {
  ++CharToOemCalls;
  std::string result(text);
  for (char &c : result)
    c = AnsiToOemByte(c);
  return result;
}
