// The real code pages on Windows: GetOEMCP, GetACP, OemToCharA, CharToOemA.
#include "platform/CodePages.h"

#include "platform/win32/WindowsApi.h"

namespace {

using TTranslate = BOOL(WINAPI *)(LPCSTR, LPSTR);

// The system calls stop at a NUL byte, so the text is translated piece by
// piece between its NULs, which are kept; no length limit applies.
std::string TranslateWhole(const std::string &text, TTranslate translate) {
  std::string result(text.size(), '\0');
  std::string piece;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      piece.assign(text, start, end - start);
      std::string translated(piece.size() + 1, '\0');
      translate(piece.c_str(), translated.data());
      result.replace(start, end - start, translated.c_str(), end - start);
    }
    start = end + 1;
  }
  return result;
}

class TWin32CodePages : public ICodePages {
public:
  uint32_t GetOEMCP() override { return ::GetOEMCP(); }
  uint32_t GetACP() override { return ::GetACP(); }
  std::string OemToChar(const std::string &text) override {
    return TranslateWhole(text, ::OemToCharA);
  }
  std::string CharToOem(const std::string &text) override {
    return TranslateWhole(text, ::CharToOemA);
  }
};

} // namespace

ICodePages &PlatformCodePages() {
  static TWin32CodePages codePages;
  return codePages;
}
