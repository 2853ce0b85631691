// The loop's watch flags (wfRead, wfWrite, wfHangUp) as poll() events and
// back, for the loop and for anything that polls its own descriptors.
#pragma once

#include <poll.h>

#include "platform/Loop.h"

inline short PollEvents(unsigned wanted) {
  return static_cast<short>(((wanted & wfRead) ? POLLIN : 0) | ((wanted & wfWrite) ? POLLOUT : 0));
}

inline unsigned WatchFlags(short revents) {
  return ((revents & POLLIN) ? wfRead : 0u) | ((revents & POLLOUT) ? wfWrite : 0u) |
         ((revents & (POLLHUP | POLLERR | POLLNVAL)) ? wfHangUp : 0u);
}
