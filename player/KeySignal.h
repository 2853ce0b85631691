// Keys typed in a player's own window: a player that takes the keyboard
// focus (mpv's video window) passes the program's command keys on with
// NotifyKey, and the driver, listening, acts on them as on the console's.
#pragma once

#include <functional>
#include <string>

using TKeyListener = std::function<void(char key)>;

// The driver's side: one listener for the process and the keys it acts on
// (each a character, as the console reads it); an empty listener stops
// listening.
void SetKeyListener(std::string keys, TKeyListener listener);
// The keys to pass on; none while nobody listens.
const std::string &ListenedKeys();
// The player's side, on the loop's thread, outside any call into the
// player: a key outside ListenedKeys is dropped.
void NotifyKey(char key);
