// The target of a player followed over its web interface, as the player code
// gives it: "//[USER][:PASSWORD@][HOST][:PORT]" after the scheme's colon.
#pragma once

#include <string>
#include <string_view>

#include "platform/Http.h"

// Reads `text` into `target`, with 127.0.0.1 and `defaultPort` for what it
// leaves out; false with `error` when it cannot be read. An IPv6 host is
// written in brackets ("[::1]:8080").
bool ReadHttpTarget(std::string_view text, uint16_t defaultPort, THttpTarget &target,
                    std::string &error);
