// Registers the two stand-in controls over libmpv under the system's ProgIDs.
#include "platform/Controls.h"
#include "platform/posix/PosixLoop.h"
#include "platform/posix/mpv/StandInControls.h"

void RegisterPlatformControls(ILoop &loop, IPlayerLog &log) {
  TPosixLoop *posixLoop = AsPosixLoop(loop);
  IPlayerLog *playerLog = &log;
  RegisterAutomationClass("MCI.MMControl", [=] { return CreateMciControl(posixLoop, playerLog); });
  RegisterAutomationClass("AMovie.ActiveMovie Control",
                          [=] { return CreateAMovieControl(posixLoop, playerLog); });
}
