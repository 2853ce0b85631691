// The two stand-in controls over libmpv, as the registry creates them.
#pragma once

#include <memory>

#include "platform/Automation.h"

class IPlayerLog;
class ILoop;

// Both raise EOleSysError when mpv cannot be started. mpv's messages go to
// `log` (dropped without one).
std::shared_ptr<IDispatchObject> CreateMciControl(ILoop *loop, IPlayerLog *log = nullptr,
                                                  bool playerSubs = false);
std::shared_ptr<IDispatchObject> CreateAMovieControl(ILoop *loop, IPlayerLog *log = nullptr,
                                                     bool playerSubs = false);
