// The registry of follower schemes.
#include "player/follow/Followers.h"

#include <map>

namespace {

std::map<std::string, TFollowFactory> &Registry() {
  static std::map<std::string, TFollowFactory> registry;
  return registry;
}

} // namespace

void RegisterFollower(const std::string &scheme, TFollowFactory factory) {
  Registry()[scheme] = std::move(factory);
}

void UnregisterFollower(const std::string &scheme) { Registry().erase(scheme); }

const TFollowFactory *FindFollower(const std::string &code, std::string &target) {
  size_t colon = code.find(':');
  auto found = Registry().find(code.substr(0, colon));
  if (found == Registry().end()) return nullptr;
  target = colon == std::string::npos ? "" : code.substr(colon + 1);
  return &found->second;
}
