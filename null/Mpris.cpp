// Built without sd-bus: no MPRIS player can be followed, so "mpris" is no
// player code here.
#include "player/follow/Mpris.h"

void RegisterMprisFollower(ILoop *) {}
