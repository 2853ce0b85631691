// Tests of the Win32 loop service on the real message queue of the test's
// thread: the timer's period, which procedure a tick runs, killing, quitting,
// and a failing procedure.
#include "platform/Loop.h"

#include "platform/win32/WindowsApi.h"
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * now.QuadPart / frequency.QuadPart;
}

// Runs the loop until the quit message; a safety timer ends a loop that
// would otherwise wait for ever, and counts as a failure.
void RunUntilQuit(ILoop &loop, uint32_t limitMs = 10000) {
  bool timedOut = false;
  uintptr_t guard = loop.SetTimer(limitMs, [&] {
    timedOut = true;
    loop.PostQuitMessage(0);
  });
  TMessage message;
  while (loop.GetMessage(message) > 0) {
    loop.TranslateMessage(message);
    loop.DispatchMessage(message);
  }
  loop.KillTimer(guard);
  EXPECT_FALSE(timedOut) << "the loop did not end by itself";
}

TEST(Win32Loop, TicksAtTheDrivePeriod) {
  auto loop = CreatePlatformLoop();
  std::vector<double> times;
  uintptr_t id = 0;
  id = loop->SetTimer(180, [&] {
    times.push_back(NowMs());
    if (times.size() == 9) loop->PostQuitMessage(0);
  });
  ASSERT_NE(id, 0u);
  RunUntilQuit(*loop);
  loop->KillTimer(id);

  ASSERT_EQ(times.size(), 9u);
  double mean = (times.back() - times.front()) / 8;
  EXPECT_GT(mean, 150);
  EXPECT_LT(mean, 260);
  for (size_t i = 1; i < times.size(); ++i) {
    EXPECT_GT(times[i] - times[i - 1], 90) << "tick " << i;
    EXPECT_LT(times[i] - times[i - 1], 600) << "tick " << i;
  }
}

TEST(Win32Loop, TimerMessagesComeWithoutAWindow) {
  auto loop = CreatePlatformLoop();
  uintptr_t id = loop->SetTimer(20, [] {});
  TMessage message;
  ASSERT_GT(loop->GetMessage(message), 0);
  EXPECT_EQ(message.Message, static_cast<uint32_t>(WM_TIMER));
  EXPECT_EQ(message.Window, nullptr);
  EXPECT_EQ(message.WParam, id);
  loop->KillTimer(id);
}

TEST(Win32Loop, EachTimerRunsItsOwnProcedure) {
  auto loop = CreatePlatformLoop();
  int fast = 0, slow = 0;
  uintptr_t a = loop->SetTimer(30, [&] { ++fast; });
  uintptr_t b = loop->SetTimer(200, [&] {
    if (++slow == 2) loop->PostQuitMessage(0);
  });
  ASSERT_NE(a, b);
  RunUntilQuit(*loop);
  loop->KillTimer(a);
  loop->KillTimer(b);
  EXPECT_EQ(slow, 2);
  EXPECT_GE(fast, 5);
}

TEST(Win32Loop, AKilledTimerTicksNoMore) {
  auto loop = CreatePlatformLoop();
  int ticks = 0;
  uintptr_t victim = 0;
  victim = loop->SetTimer(20, [&] {
    ++ticks;
    loop->KillTimer(victim); // from inside its own procedure
  });
  uintptr_t end = loop->SetTimer(300, [&] { loop->PostQuitMessage(0); });
  RunUntilQuit(*loop);
  loop->KillTimer(end);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(loop->KillTimer(victim));
}

TEST(Win32Loop, QuitMessageEndsTheLoopWithoutAnotherTick) {
  auto loop = CreatePlatformLoop();
  int ticks = 0;
  uintptr_t id = loop->SetTimer(10, [&] {
    ++ticks;
    loop->PostQuitMessage(0);
    Sleep(50); // the timer is due again before the loop looks for messages
  });
  RunUntilQuit(*loop);
  loop->KillTimer(id);
  EXPECT_EQ(ticks, 1);
}

// A failure inside a tick must not unwind through the system's dispatch
// code; it comes out of DispatchMessage, and the timer goes on.
TEST(Win32Loop, AFailingProcedureFailsItsDispatchOnly) {
  auto loop = CreatePlatformLoop();
  int ticks = 0;
  uintptr_t id = loop->SetTimer(20, [&] {
    if (++ticks == 1) throw std::runtime_error("tick failed");
    loop->PostQuitMessage(0);
  });
  TMessage message;
  ASSERT_GT(loop->GetMessage(message), 0);
  EXPECT_THROW(loop->DispatchMessage(message), std::runtime_error);
  EXPECT_EQ(ticks, 1);
  RunUntilQuit(*loop);
  loop->KillTimer(id);
  EXPECT_EQ(ticks, 2);
}

// A control made on this thread owns windows; their messages come through
// the same loop.
int WindowMessages = 0;
LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 1) {
    ++WindowMessages;
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Win32Loop, ServesTheWindowsOfTheThread) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = CountingWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "CuestripLoopTestWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  auto loop = CreatePlatformLoop();
  ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 0, 0));
  RunUntilQuit(*loop);
  DestroyWindow(window);
  EXPECT_EQ(WindowMessages, 1);
}

TEST(Win32Loop, ALoopKillsItsTimersWhenItGoes) {
  int ticks = 0;
  {
    auto doomed = CreatePlatformLoop();
    doomed->SetTimer(10, [&] { ++ticks; });
  }
  auto loop = CreatePlatformLoop();
  uintptr_t end = loop->SetTimer(150, [&] { loop->PostQuitMessage(0); });
  RunUntilQuit(*loop);
  loop->KillTimer(end);
  EXPECT_EQ(ticks, 0);
}

} // namespace

// The wake between ticks: fires once near its delay, measured on the loop's
// own clock, and a procedure may set the next one.
TEST(Win32Loop, OneShotTimerFiresOnceAndMaySetTheNext) {
  auto loop = CreatePlatformLoop();
  std::vector<double> times;
  const double start = loop->Now();
  std::function<void()> shot = [&] {
    times.push_back((loop->Now() - start) * 1000);
    if (times.size() < 3) loop->SetOneShotTimer(30, shot);
  };
  loop->SetOneShotTimer(30, shot);
  uintptr_t stop = loop->SetTimer(400, [&] { loop->PostQuitMessage(0); });
  RunUntilQuit(*loop);
  loop->KillTimer(stop);
  ASSERT_EQ(times.size(), 3u) << "a one-shot timer fired again";
  EXPECT_GE(times[0], 25);
  EXPECT_LT(times[2], 300);
}

// A watched event set by another thread: Ready comes on the loop's thread
// with wfReady; once unwatched, the event is left alone.
TEST(Win32Loop, AWatchedEventSetElsewhereIsReadyOnTheLoopsThread) {
  auto loop = CreatePlatformLoop();
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int calls = 0;
  unsigned flags = 0;
  DWORD ranOn = 0;
  uintptr_t id = 0;
  id = loop->Watch(TWatch{reinterpret_cast<TWaitHandle>(event), [] { return unsigned(wfRead); },
                          nullptr,
                          [&](unsigned ready) {
                            ++calls;
                            flags = ready;
                            ranOn = GetCurrentThreadId();
                            loop->Unwatch(id); // the event stays set
                            loop->SetOneShotTimer(100, [&] { loop->PostQuitMessage(0); });
                          }});
  ASSERT_NE(id, 0u);
  std::thread setter([event] {
    Sleep(30);
    SetEvent(event);
  });
  RunUntilQuit(*loop);
  setter.join();
  CloseHandle(event);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(flags, unsigned(wfReady));
  EXPECT_EQ(ranOn, GetCurrentThreadId());
}

// A watch that wants nothing now is not waited on, even when signalled.
TEST(Win32Loop, AWatchWantingNothingIsLeftAlone) {
  auto loop = CreatePlatformLoop();
  HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  bool wanted = false;
  int calls = 0;
  uintptr_t id = loop->Watch(TWatch{reinterpret_cast<TWaitHandle>(event),
                                    [&] { return wanted ? unsigned(wfWrite) : 0u; }, nullptr,
                                    [&](unsigned) {
                                      ++calls;
                                      loop->PostQuitMessage(0);
                                    }});
  loop->SetOneShotTimer(80, [&] { wanted = true; });
  const double start = loop->Now();
  RunUntilQuit(*loop);
  loop->Unwatch(id);
  CloseHandle(event);
  EXPECT_EQ(calls, 1);
  EXPECT_GE((loop->Now() - start) * 1000, 60);
}
