// The two stand-in controls over libmpv, as the registry creates them.
#pragma once

#include <memory>

#include "player/Automation.h"

class TPosixLoop;

// Both raise EOleSysError when mpv cannot be started.
std::shared_ptr<IDispatchObject> CreateMciControl(TPosixLoop *loop);
std::shared_ptr<IDispatchObject> CreateAMovieControl(TPosixLoop *loop);
