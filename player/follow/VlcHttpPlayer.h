// The VLC follower: a VLC started by the user with its web interface on
// (--extraintf http), followed over HTTP.
#pragma once

#include "player/follow/Followers.h"

class IHttpClient;

// The web interface's port when the player code names none.
constexpr uint16_t VlcDefaultPort = 8080;

// Connects through `http`, whose loop then serves the requests on the main
// thread. Never null; when VLC cannot be reached, Failure says why.
TFollowPlayer *CreateVlcHttpFollower(const TFollowRequest &request, ILoop &loop, IHttpClient &http);
