// Registers the running players POSIX can follow.
#include "platform/Followers.h"
#include "platform/posix/PosixFollowers.h"
#include "platform/posix/PosixLoop.h"

void RegisterPlatformFollowers(ILoop &loop) {
  TPosixLoop *posixLoop = AsPosixLoop(loop);
  RegisterFollower("mpv", [posixLoop](const TFollowRequest &request) {
    return CreateMpvIpcFollower(request, posixLoop);
  });
  RegisterMprisFollower(posixLoop);
}
