// Built without libmpv, and on Windows, whose controls are the system's own:
// no stand-in is registered, so player selection looks only at what the
// system offers.
#include "player/StandInControls.h"

void RegisterStandInControls(ILoop &, IPlayerLog &, const bool &) {}
