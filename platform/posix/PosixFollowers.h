// The POSIX followers: an mpv over its IPC socket, and MPRIS players over the
// session bus (when built with sd-bus).
#pragma once

#include "player/Followers.h"

class TPosixLoop;

// `loop` serves the connection on the main thread; without one (tests) the
// follower only answers what it learnt while connecting.
TFollowPlayer *CreateMpvIpcFollower(const TFollowRequest &request, TPosixLoop *loop);
// Registers "mpris" where sd-bus is built in; does nothing otherwise.
void RegisterMprisFollower(TPosixLoop *loop);
