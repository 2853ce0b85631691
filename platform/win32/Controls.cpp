// The in-process controls of the Windows build: none, the players come from
// the system's COM controls.
#include "platform/Controls.h"

void RegisterPlatformControls(ILoop &, IPlayerLog &, const bool &) {}
