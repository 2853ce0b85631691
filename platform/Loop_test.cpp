// The loop's contract on every platform: work posted from another thread
// wakes the loop and runs on its thread; a watch's deadline calls it.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/Loop.h"

namespace {

using TClock = std::chrono::steady_clock;

int MsSince(TClock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count());
}

void RunUntilQuit(ILoop &loop) {
  TMessage message;
  while (loop.GetMessage(message) > 0) {
    loop.TranslateMessage(message);
    loop.DispatchMessage(message);
  }
}

TEST(Loop, PostedWorkWakesTheLoopAndRunsOnItsThreadInOrder) {
  auto loop = CreatePlatformLoop();
  std::vector<int> order;
  std::thread::id ranOn;
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    loop->Post([&] { order.push_back(1); });
    loop->Post([&] {
      order.push_back(2);
      ranOn = std::this_thread::get_id();
      loop->PostQuitMessage(0);
    });
  });
  auto start = TClock::now();
  RunUntilQuit(*loop);
  poster.join();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_LT(MsSince(start), 1000);
}

TEST(Loop, AWatchDeadlineCallsItWithNoFlagsAndUnwatchEndsIt) {
  auto loop = CreatePlatformLoop();
  int calls = 0;
  unsigned flags = 99;
  double deadline = loop->Now() + 0.040;
  uintptr_t id = 0;
  id = loop->Watch(TWatch{NoWaitHandle, nullptr, [&] { return deadline; },
                          [&](unsigned ready) {
                            ++calls;
                            flags = ready;
                            loop->Unwatch(id);
                            loop->SetOneShotTimer(60, [&] { loop->PostQuitMessage(0); });
                          }});
  ASSERT_NE(id, 0u);
  auto start = TClock::now();
  RunUntilQuit(*loop);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(flags, 0u);
  EXPECT_GE(MsSince(start), 35);
}

} // namespace
