// Built without libmpv: there is nothing to play with, so neither control is
// registered and player selection finds no player.
#include "platform/Controls.h"

void RegisterPlatformControls(ILoop &, IPlayerLog &, const bool &) {}
