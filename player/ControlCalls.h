// The calls both players make of their controls: creating the control, and
// get, put and method calls by member name.
#pragma once

#include "platform/Automation.h"

// The control for `progId`, or Null when it cannot be created for any
// reason at all: a player without its control is simply not available.
inline TVariant CreateControlOrNull(const std::string &progId) {
  try {
    return TVariant::Object(CreateAutomationObject(progId));
  } catch (...) {
    return TVariant::Null();
  }
}

inline void Put(const TVariant &control, const char *name, const TVariant &value) {
  InvokeMember(control, name, ikPut, &value, nullptr);
}

inline TVariant Get(const TVariant &control, const char *name) {
  TVariant result;
  InvokeMember(control, name, ikGet, nullptr, &result);
  return result;
}

inline void Call(const TVariant &control, const char *name) {
  InvokeMember(control, name, ikMethod, nullptr, nullptr);
}
