// Built without sd-bus: no MPRIS player can be followed, so "mpris" is no
// player code here.
#include "platform/posix/PosixFollowers.h"

void RegisterMprisFollower(TPosixLoop *) {}
