// The two stand-in controls over libmpv, as the registry creates them.
#pragma once

#include <memory>

#include "player/Automation.h"

class IPlayerLog;
class TPosixLoop;

// Both raise EOleSysError when mpv cannot be started. mpv's messages go to
// `log` (dropped without one).
std::shared_ptr<IDispatchObject> CreateMciControl(TPosixLoop *loop, IPlayerLog *log = nullptr,
                                                  bool playerSubs = false);
std::shared_ptr<IDispatchObject> CreateAMovieControl(TPosixLoop *loop, IPlayerLog *log = nullptr,
                                                     bool playerSubs = false);
