// The players that follow a player running outside the program, by the
// scheme of their player code ("mpv:SOCKET", "mpris", "mpris:NAME"): one
// table of schemes, filled at start-up.
#pragma once

#include <functional>
#include <string>

#include "player/follow/FollowPlayer.h"

class ILoop;
class IStreamConnector;
class IHttpClient;

struct TFollowRequest {
  // What follows the scheme's colon: the socket, the player's name; may be empty.
  std::string Target;
  // The video given on the command line or by the script; may be empty.
  std::string VideoPath;
  // The script's frame rate, 0 when it names none (the player's own, else 25, is used then).
  double FrameRate = 0;
  TEndedProc Ended;
};

// A new follower; never null. When it is not available, its Failure says
// what was looked for.
using TFollowFactory = std::function<TFollowPlayer *(const TFollowRequest &)>;

void RegisterFollower(const std::string &scheme, TFollowFactory factory);
void UnregisterFollower(const std::string &scheme);
// The factory for a player code "SCHEME" or "SCHEME:TARGET", with the target;
// null when no follower of this platform serves the code.
const TFollowFactory *FindFollower(const std::string &code, std::string &target);

// Registers every follower the build has; their connections are served by
// `loop` on the main thread, over streams from `streams` and sessions from
// `http`.
void RegisterFollowers(ILoop &loop, IStreamConnector &streams, IHttpClient &http);
