// Windows legacy code pages: decoded with MultiByteToWideChar and written out
// as UTF-8 with WideCharToMultiByte. Windows has no charset detector here.
#include "platform/Charsets.h"

#include "platform/win32/WindowsApi.h"

namespace {

// Text longer than an int can say is decoded in pieces that end on a line end
// or, failing that, at the piece size (a multibyte character may then split).
constexpr size_t PieceSize = 1 << 24;

std::string Utf8Of(const std::wstring &wide) {
  if (wide.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

std::wstring WideOf(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
  return wide;
}

} // namespace

bool DecodeCodePage(std::string_view bytes, const std::string &codePage, std::string &utf8) {
  const UINT number = CodePageNumber(codePage);
  if (number == 0 || !IsValidCodePage(number)) return false;
  std::string out;
  while (!bytes.empty()) {
    size_t length = bytes.size();
    if (length > PieceSize) {
      const size_t lineEnd = bytes.rfind('\n', PieceSize);
      length = lineEnd == std::string_view::npos ? PieceSize : lineEnd + 1;
    }
    out += Utf8Of(WideOf(bytes.substr(0, length), number));
    bytes.remove_prefix(length);
  }
  utf8 = std::move(out);
  return true;
}

std::string GuessCharset(std::string_view) { return std::string(); }
