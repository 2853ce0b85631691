// UTF-8 and UTF-16 conversions and the system's error messages, through
// MultiByteToWideChar, WideCharToMultiByte and FormatMessageW.
#include "platform/win32/SystemText.h"

#include "platform/win32/WindowsApi.h"

std::wstring WideOfUtf8(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(
      static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

std::string Utf8OfWide(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  std::string utf8(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr,
                                                           0, nullptr, nullptr)),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()),
                      nullptr, nullptr);
  return utf8;
}

std::string SystemErrorText(uint32_t code) {
  wchar_t buffer[512];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, buffer, sizeof buffer / sizeof buffer[0], nullptr);
  // Messages end with a period and CR LF; shown to the user they end bare.
  while (length > 0 && (buffer[length - 1] <= L' ' || buffer[length - 1] == L'.'))
    --length;
  if (length == 0) return "error " + std::to_string(code);
  return Utf8OfWide(std::wstring_view(buffer, length));
}
