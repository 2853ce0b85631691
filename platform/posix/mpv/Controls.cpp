// Registers the two stand-in controls over libmpv under the system's ProgIDs.
#include "platform/Controls.h"
#include "platform/posix/PosixLoop.h"
#include "platform/posix/mpv/StandInControls.h"

void RegisterPlatformControls(ILoop &loop, IPlayerLog &log, const bool &playerSubs) {
  TPosixLoop *posixLoop = AsPosixLoop(loop);
  IPlayerLog *playerLog = &log;
  const bool *subs = &playerSubs; // read when a control is made, after the command line
  RegisterAutomationClass("MCI.MMControl",
                          [=] { return CreateMciControl(posixLoop, playerLog, *subs); });
  RegisterAutomationClass("AMovie.ActiveMovie Control",
                          [=] { return CreateAMovieControl(posixLoop, playerLog, *subs); });
}
