// The running players this platform can follow (an mpv over its socket, MPRIS
// players on the session bus), registered by scheme at start-up.
#pragma once

class ILoop;

// Registers this platform's followers; their connections are served by
// `loop` on the main thread. Does nothing where the platform has none.
void RegisterPlatformFollowers(ILoop &loop);
