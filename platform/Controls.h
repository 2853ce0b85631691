// The player controls this platform serves in-process (the POSIX stand-ins
// over libmpv), registered in the automation registry at start-up.
#pragma once

class ILoop;
class IPlayerLog;

// Registers this platform's in-process controls; their events are served by
// `loop` on the main thread and their messages go to `log`. A control made
// while `playerSubs` is false draws no subtitles of its own. Does nothing
// where the platform has none.
void RegisterPlatformControls(ILoop &loop, IPlayerLog &log, const bool &playerSubs);
