// The key signal between a player's window and the driver: only the keys
// listened for arrive, and nothing once the listener is gone.
#include <gtest/gtest.h>

#include "player/KeySignal.h"

TEST(KeySignal, OnlyListenedKeysReachTheListenerUntilItGoes) {
  std::string heard;
  SetKeyListener(" pq", [&](char key) { heard += key; });
  EXPECT_EQ(ListenedKeys(), " pq");
  for (char key : {'p', 'x', ' ', '\0', 'P', 'q'})
    NotifyKey(key);
  EXPECT_EQ(heard, "p q");

  SetKeyListener(" pq", nullptr);
  EXPECT_EQ(ListenedKeys(), "") << "no keys are bound for nobody";
  NotifyKey('p');
  EXPECT_EQ(heard, "p q");
}

TEST(KeySignal, AListenerMayReplaceItself) {
  std::string heard;
  SetKeyListener("ab", [&](char key) {
    heard += key;
    SetKeyListener("b", [&](char again) { heard += std::string("+") + again; });
  });
  NotifyKey('a');
  NotifyKey('a');
  NotifyKey('b');
  EXPECT_EQ(heard, "a+b");
  SetKeyListener("", nullptr);
}
