// The mpv follower: an mpv started by the user with --input-ipc-server,
// followed over that channel.
#pragma once

#include "player/follow/Followers.h"

class IStreamConnector;

// Connects through `streams`, whose loop then serves the connection on the
// main thread. Never null; when mpv cannot be reached, Failure says why.
TFollowPlayer *CreateMpvIpcFollower(const TFollowRequest &request, IStreamConnector &streams);
