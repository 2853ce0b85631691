// Registers the two stand-in controls over libmpv under the system's ProgIDs.
#include "player/StandInControls.h"

#include "player/mpv/StandInControls.h"

void RegisterStandInControls(ILoop &loop, IPlayerLog &log, const bool &playerSubs) {
  ILoop *mainLoop = &loop;
  IPlayerLog *playerLog = &log;
  const bool *subs = &playerSubs; // read when a control is made, after the command line
  RegisterAutomationClass("MCI.MMControl",
                          [=] { return CreateMciControl(mainLoop, playerLog, *subs); });
  RegisterAutomationClass("AMovie.ActiveMovie Control",
                          [=] { return CreateAMovieControl(mainLoop, playerLog, *subs); });
}
