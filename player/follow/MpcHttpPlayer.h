// The MPC follower: MPC-HC or MPC-BE started by the user with its web
// interface on (Options > Player > Web Interface), followed over HTTP.
#pragma once

#include "player/follow/Followers.h"

class IHttpClient;

// The web interface's port when the player code names none.
constexpr uint16_t MpcDefaultPort = 13579;

// Connects through `http`, whose loop then serves the requests on the main
// thread. Never null; when MPC cannot be reached, Failure says why.
TFollowPlayer *CreateMpcHttpFollower(const TFollowRequest &request, ILoop &loop, IHttpClient &http);
