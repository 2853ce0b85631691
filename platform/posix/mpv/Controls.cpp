// Registers the two stand-in controls over libmpv under the system's ProgIDs.
#include "platform/Controls.h"
#include "platform/posix/PosixLoop.h"
#include "platform/posix/mpv/StandInControls.h"

void RegisterPlatformControls(ILoop &loop) {
  TPosixLoop *posixLoop = AsPosixLoop(loop);
  RegisterAutomationClass("MCI.MMControl", [posixLoop] { return CreateMciControl(posixLoop); });
  RegisterAutomationClass("AMovie.ActiveMovie Control",
                          [posixLoop] { return CreateAMovieControl(posixLoop); });
}
