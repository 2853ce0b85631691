// The JSON reader (recursive descent with a depth limit) and string quoting.
#include "player/follow/JsonValue.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "base/Ascii.h"

namespace {

class TJsonReader {
public:
  explicit TJsonReader(std::string_view text) : FText(text) {}

  std::optional<TJson> Whole() {
    TJson value;
    if (!Value(value, 0)) return std::nullopt;
    SkipBlanks();
    if (FPos != FText.size()) return std::nullopt;
    return value;
  }

private:
  void SkipBlanks() {
    while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t' ||
                                   FText[FPos] == '\r' || FText[FPos] == '\n'))
      ++FPos;
  }
  bool Take(char c) {
    SkipBlanks();
    if (FPos < FText.size() && FText[FPos] == c) {
      ++FPos;
      return true;
    }
    return false;
  }
  bool Word(std::string_view word) {
    if (FText.substr(FPos, word.size()) != word) return false;
    FPos += word.size();
    return true;
  }

  bool Value(TJson &value, int depth) {
    if (depth > JsonMaxDepth) return false;
    SkipBlanks();
    if (FPos >= FText.size()) return false;
    char c = FText[FPos];
    if (c == '{') return Object(value, depth);
    if (c == '[') return Array(value, depth);
    if (c == '"') {
      value.Kind = TJson::jString;
      return String(value.String);
    }
    if (Word("true") || Word("false")) {
      value.Kind = TJson::jBool;
      value.Bool = c == 't';
      return true;
    }
    if (Word("null")) return true;
    return Number(value);
  }

  bool Object(TJson &value, int depth) {
    value.Kind = TJson::jObject;
    ++FPos;
    if (Take('}')) return true;
    do {
      std::string name;
      TJson member;
      SkipBlanks();
      if (FPos >= FText.size() || FText[FPos] != '"' || !String(name) || !Take(':') ||
          !Value(member, depth + 1))
        return false;
      value.MemberNames.push_back(std::move(name));
      value.MemberValues.push_back(std::move(member));
    } while (Take(','));
    return Take('}');
  }

  bool Array(TJson &value, int depth) {
    value.Kind = TJson::jArray;
    ++FPos;
    if (Take(']')) return true;
    do {
      TJson item;
      if (!Value(item, depth + 1)) return false;
      value.Items.push_back(std::move(item));
    } while (Take(','));
    return Take(']');
  }

  bool Number(TJson &value) {
    size_t start = FPos;
    while (FPos < FText.size() &&
           std::string_view("+-0123456789.eE").find(FText[FPos]) != std::string_view::npos)
      ++FPos;
    if (FPos == start) return false;
    std::string digits(FText.substr(start, FPos - start));
    char *end = nullptr;
    value.Number = std::strtod(digits.c_str(), &end);
    value.Kind = TJson::jNumber;
    return end == digits.c_str() + digits.size();
  }

  // A string after its opening quote; \u escapes become UTF-8.
  bool String(std::string &out) {
    ++FPos;
    while (FPos < FText.size()) {
      char c = FText[FPos++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (FPos >= FText.size()) return false;
      char e = FText[FPos++];
      switch (e) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'u': {
        if (FPos + 4 > FText.size()) return false;
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
          const int digit = HexDigit(FText[FPos++]);
          if (digit < 0) return false;
          code = (code << 4) | static_cast<unsigned>(digit);
        }
        AppendUtf8(out, code);
        break;
      }
      default: out += e; break;
      }
    }
    return false;
  }

  static void AppendUtf8(std::string &out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::string_view FText;
  size_t FPos = 0;
};

} // namespace

const TJson *TJson::Find(std::string_view name) const {
  for (size_t i = 0; i < MemberNames.size(); ++i)
    if (MemberNames[i] == name) return &MemberValues[i];
  return nullptr;
}

std::optional<TJson> ParseJson(std::string_view text) { return TJsonReader(text).Whole(); }

std::string JsonQuote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}
