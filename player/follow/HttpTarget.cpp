// Web interface targets of the player codes.
#include "player/follow/HttpTarget.h"

#include "base/Ascii.h"

bool ReadHttpTarget(std::string_view text, uint16_t defaultPort, THttpTarget &target,
                    std::string &error) {
  target = THttpTarget{"127.0.0.1", defaultPort, "", ""};
  if (StartsWith(text, "//")) text.remove_prefix(2);
  while (!text.empty() && text.back() == '/')
    text.remove_suffix(1);
  // The credentials end at the last "@": a password may hold one.
  const size_t at = text.rfind('@');
  if (at != std::string_view::npos) {
    const std::string_view credentials = text.substr(0, at);
    const size_t colon = credentials.find(':');
    target.User = std::string(credentials.substr(0, colon));
    if (colon != std::string_view::npos)
      target.Password = std::string(credentials.substr(colon + 1));
    text.remove_prefix(at + 1);
  }
  std::string_view port;
  if (StartsWith(text, "[")) {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) {
      error = "an IPv6 address without its \"]\"";
      return false;
    }
    target.Host = std::string(text.substr(1, close - 1));
    text.remove_prefix(close + 1);
    if (!text.empty() && text.front() != ':') {
      error = "\"" + std::string(text) + "\" after the address";
      return false;
    }
    if (!text.empty()) port = text.substr(1);
  } else {
    const size_t colon = text.find(':');
    if (colon != 0 && !text.empty()) target.Host = std::string(text.substr(0, colon));
    if (colon != std::string_view::npos) port = text.substr(colon + 1);
  }
  if (target.Host.empty()) target.Host = "127.0.0.1";
  if (port.empty()) return true;
  uint32_t number = 0;
  for (char c : port)
    number = IsDigit(c) && number <= 65535 ? number * 10 + uint32_t(c - '0') : 65536;
  if (number == 0 || number > 65535) {
    error = "no port: \"" + std::string(port) + "\"";
    return false;
  }
  target.Port = static_cast<uint16_t>(number);
  return true;
}
