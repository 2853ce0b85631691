// The messages of a whole-file read's refusals.
#include "platform/FileRefusals.h"

EInOutError NotAFileError(const std::string &name, const char *kind) {
  return EInOutError(5, name + " is " + kind + ", not a file");
}

EInOutError TooLargeError(const std::string &name) {
  return EInOutError(223, name + " is larger than " + std::to_string(MaxScriptFileBytes >> 20) +
                              " MB: not a subtitle file");
}
