// Helpers the player tests share: the error a call raises, by kind, and
// every operation of a player as a call.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "player/UntVideoIF.h"

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

// Every operation of `player` that reaches its control, each as one call.
template <class TPlayer> std::vector<std::function<void()>> EveryOperation(TPlayer &player) {
  return {[&] { player->GetPosition(); }, [&] { player->SetPosition(1); },
          [&] { player->GetFileName(); }, [&] { player->SetFileName("x"); },
          [&] { player->GetState(); },    [&] { player->Start(); },
          [&] { player->Play(); },        [&] { player->Stop(); },
          [&] { player->Pause(); },       [&] { player->Seek(sdForward, 1); }};
}
