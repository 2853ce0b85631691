// Windows follows no running player: its players are the controls.
#include "platform/Followers.h"

void RegisterPlatformFollowers(ILoop &) {}
