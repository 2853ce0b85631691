// Registers every player the program can follow, by scheme: mpv over its IPC
// channel, and MPRIS players where the build has sd-bus.
#include "player/follow/Followers.h"

#include "player/follow/Mpris.h"
#include "player/follow/MpvIpcPlayer.h"

void RegisterFollowers(ILoop &loop, IStreamConnector &streams) {
  IStreamConnector *connector = &streams;
  RegisterFollower("mpv", [connector](const TFollowRequest &request) {
    return CreateMpvIpcFollower(request, *connector);
  });
  RegisterMprisFollower(&loop);
}
