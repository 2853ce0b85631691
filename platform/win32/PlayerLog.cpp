// The Windows player log: the players are the system's COM controls, which
// do not write to the console, so nothing is captured.
#include "platform/PlayerLog.h"

std::unique_ptr<IPlayerLog> CreatePlatformPlayerLog(ILoop &loop) {
  return std::make_unique<TPlayerLog>(loop);
}
