// The MPRIS follower: players on the session bus, where the build has sd-bus.
#pragma once

class ILoop;

// Registers "mpris" where sd-bus is built in; does nothing otherwise.
// `loop` serves the bus connection on the main thread; without one (tests)
// the follower only answers what it learnt while connecting.
void RegisterMprisFollower(ILoop *loop);
