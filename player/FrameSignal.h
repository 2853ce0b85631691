// News of each frame a player shows, for players whose control reports it:
// the control side calls NotifyFrameShown, the driver listens, so a subtitle
// due on a frame can be written as that frame appears.
#pragma once

#include <functional>

using TFrameListener = std::function<void()>;

// One listener for the process; an empty one stops listening.
void SetFrameListener(TFrameListener listener);
bool HasFrameListener();
// Called on the loop's thread, outside any call into the control.
void NotifyFrameShown();
