// Test support: the error a call raises, by kind, as the tests compare it.
#pragma once

#include <string>

#include "base/Errors.h"

// The kind name and message of the error `call` raises, "none" when it
// raises nothing.
template <class F> std::string RaisedBy(F call) {
  try {
    call();
  } catch (const Exception &error) {
    return std::string(error.KindName()) + ": " + error.Message;
  }
  return "none";
}

inline const char *NoObject = "EOleError: Variant does not reference an automation object";
