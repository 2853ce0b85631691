// Registers every player the program can follow, by scheme: mpv over its IPC
// channel, VLC and MPC over their web interfaces, and MPRIS players where the build has
// sd-bus.
#include "player/follow/Followers.h"

#include "player/follow/MpcHttpPlayer.h"
#include "player/follow/Mpris.h"
#include "player/follow/MpvIpcPlayer.h"
#include "player/follow/VlcHttpPlayer.h"

void RegisterFollowers(ILoop &loop, IStreamConnector &streams, IHttpClient &http) {
  IStreamConnector *connector = &streams;
  RegisterFollower("mpv", [connector](const TFollowRequest &request) {
    return CreateMpvIpcFollower(request, *connector);
  });
  ILoop *serving = &loop;
  IHttpClient *client = &http;
  RegisterFollower("vlc", [serving, client](const TFollowRequest &request) {
    return CreateVlcHttpFollower(request, *serving, *client);
  });
  RegisterFollower("mpc", [serving, client](const TFollowRequest &request) {
    return CreateMpcHttpFollower(request, *serving, *client);
  });
  RegisterMprisFollower(&loop);
}
