// Helpers the player tests share: every operation of a player as a call
// (and, from the base layer, the error a call raises).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/RaisedBy.h"
#include "player/UntVideoIF.h"

// Every operation of `player` that reaches its control, each as one call.
template <class TPlayer> std::vector<std::function<void()>> EveryOperation(TPlayer &player) {
  return {[&] { player->GetPosition(); }, [&] { player->SetPosition(1); },
          [&] { player->GetFileName(); }, [&] { player->SetFileName("x"); },
          [&] { player->GetState(); },    [&] { player->Start(); },
          [&] { player->Play(); },        [&] { player->Stop(); },
          [&] { player->Pause(); },       [&] { player->Seek(sdForward, 1); }};
}
