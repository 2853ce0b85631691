// A POSIX build without uchardet makes no charset guess.
#include "platform/Charsets.h"

std::string GuessCharset(std::string_view) { return std::string(); }
