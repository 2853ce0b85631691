// The stand-ins for the two system controls, served in-process over libmpv
// where the build has it, registered in the automation registry at start-up.
#pragma once

class ILoop;
class IPlayerLog;

// Registers the in-process controls; their events are served by
// `loop` on the main thread and their messages go to `log`. A control made
// while `playerSubs` is false draws no subtitles of its own. Does nothing
// where the build has no libmpv (and on Windows, whose controls are the
// system's own).
void RegisterStandInControls(ILoop &loop, IPlayerLog &log, const bool &playerSubs);
