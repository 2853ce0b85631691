// News of each frame a player shows, for players whose control reports it:
// the control side calls NotifyFrameShown, the driver listens, so a subtitle
// due on a frame can be written as that frame appears. Reports cost the
// player work on every frame, so the driver asks for them only while a
// subtitle is about to fall due.
#pragma once

#include <functional>

using TFrameListener = std::function<void()>;
using TFrameSwitch = std::function<void(bool on)>;

// The driver's side: one listener for the process (an empty one stops
// listening), and whether reports are wanted now.
void SetFrameListener(TFrameListener listener);
bool HasFrameListener();
void WantFrames(bool wanted);

// The control's side: how to turn its reports on and off, told at once of the
// wish in force; `owner` tells whose switch it is when it goes.
void SetFrameSwitch(const void *owner, TFrameSwitch frameSwitch);
void ClearFrameSwitch(const void *owner);
// Called on the loop's thread, outside any call into the control.
void NotifyFrameShown();
