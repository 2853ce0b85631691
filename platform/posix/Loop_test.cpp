// The POSIX loop: timer period, no make-up of late ticks, signals during the
// wait, work posted from other threads, and the quit message's precedence.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/posix/PosixLoop.h"

namespace {

using TClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

double MsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// Runs the loop until `ticks` timer procedures have run; returns their times.
std::vector<double> RunTicks(TPosixLoop &loop, uint32_t periodMs, int ticks,
                             std::function<void(int)> onTick = nullptr) {
  std::vector<double> times;
  auto start = TClock::now();
  loop.SetTimer(periodMs, [&] {
    times.push_back(MsSince(start));
    if (onTick) onTick(static_cast<int>(times.size()));
    if (static_cast<int>(times.size()) == ticks) loop.PostQuitMessage(0);
  });
  TMessage message;
  while (loop.GetMessage(message) > 0)
    loop.DispatchMessage(message);
  return times;
}

} // namespace

TEST(PosixLoop, TicksAtItsPeriod) {
  TPosixLoop loop;
  auto times = RunTicks(loop, 40, 10);
  ASSERT_EQ(times.size(), 10u);
  EXPECT_GE(times.front(), 38);
  EXPECT_GE(times.back(), 390);
  EXPECT_LE(times.back(), 650);
}

TEST(PosixLoop, LateTicksAreNotMadeUp) {
  TPosixLoop loop;
  // The second tick takes five periods; the ticks it missed must not come
  // in a burst afterwards.
  auto times = RunTicks(loop, 30, 5, [](int n) {
    if (n == 2) std::this_thread::sleep_for(milliseconds(150));
  });
  ASSERT_EQ(times.size(), 5u);
  EXPECT_GE(times[3] - times[1], 150);
  EXPECT_GE(times[4] - times[3], 20) << "a missed tick was made up";
}

namespace {
void IgnoreSignal(int) {}
} // namespace

TEST(PosixLoop, SignalDuringTheWaitDoesNotEndIt) {
  struct sigaction action {};
  struct sigaction previous {};
  action.sa_handler = IgnoreSignal; // no SA_RESTART: poll fails with EINTR
  sigemptyset(&action.sa_mask);
  sigaction(SIGUSR1, &action, &previous);

  TPosixLoop loop;
  loop.SetTimer(150, [] {});
  pthread_t self = pthread_self();
  std::thread interrupter([self] {
    for (int i = 0; i < 3; ++i) {
      std::this_thread::sleep_for(milliseconds(30));
      pthread_kill(self, SIGUSR1);
    }
  });
  auto start = TClock::now();
  TMessage message;
  int result = loop.GetMessage(message);
  double waited = MsSince(start);
  interrupter.join();
  sigaction(SIGUSR1, &previous, nullptr);

  EXPECT_EQ(result, 1);
  EXPECT_EQ(message.Message, TPosixLoop::TimerMessage);
  EXPECT_GE(waited, 140);
}

TEST(PosixLoop, QuitComesAheadOfADueTick) {
  TPosixLoop loop;
  int ticks = 0;
  loop.SetTimer(1, [&] { ++ticks; });
  std::this_thread::sleep_for(milliseconds(5));
  loop.PostQuitMessage(3);
  TMessage message;
  EXPECT_EQ(loop.GetMessage(message), 0);
  EXPECT_EQ(message.WParam, 3u);
  EXPECT_EQ(ticks, 0);
}

TEST(PosixLoop, KilledTimerDispatchesNothing) {
  TPosixLoop loop;
  int ticks = 0;
  uintptr_t id = loop.SetTimer(5, [&] { ++ticks; });
  TMessage message;
  ASSERT_EQ(loop.GetMessage(message), 1);
  EXPECT_TRUE(loop.KillTimer(id));
  loop.DispatchMessage(message);
  EXPECT_EQ(ticks, 0);
  EXPECT_FALSE(loop.KillTimer(id));
}

// The wake between ticks lands within a millisecond of its moment on the
// loop's own clock, fires once, and may set the next one from its procedure.
TEST(PosixLoop, OneShotTimerLandsOnItsMomentOnceAndMaySetTheNext) {
  TPosixLoop loop;
  std::vector<double> late;
  double due = loop.Now() + 0.007;
  std::function<void()> shot = [&] {
    late.push_back((loop.Now() - due) * 1000);
    if (late.size() < 3) {
      due = loop.Now() + 0.011;
      loop.SetOneShotTimer(11, shot);
    }
  };
  loop.SetOneShotTimer(7, shot);
  loop.SetTimer(150, [&] { loop.PostQuitMessage(0); });
  TMessage message;
  while (loop.GetMessage(message) > 0)
    loop.DispatchMessage(message);
  ASSERT_EQ(late.size(), 3u) << "a one-shot timer fired again";
  for (double ms : late) {
    EXPECT_GE(ms, 0);
    EXPECT_LT(ms, 5) << "poll rounding or a busy machine";
  }
}

TEST(PosixLoop, ServesAWatchedDescriptorAndItsDeadline) {
  TPosixLoop loop;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::vector<unsigned> calls;
  double deadline = loop.Now() + 0.030;
  bool deadlineOn = true;
  uintptr_t id = 0;
  id = loop.Watch(TWatch{fds[0], [] { return unsigned(wfRead); },
                         [&] { return deadlineOn ? deadline : 1e300; },
                         [&](unsigned events) {
                           calls.push_back(events);
                           if (events == 0) { // the deadline: now make the descriptor ready
                             deadlineOn = false;
                             ASSERT_EQ(write(fds[1], "x", 1), 1);
                             return;
                           }
                           loop.Unwatch(id);
                           loop.PostQuitMessage(0);
                         }});
  loop.SetTimer(2000, [&] { loop.PostQuitMessage(1); }); // a bound, never reached
  auto start = TClock::now();
  TMessage message;
  while (loop.GetMessage(message) > 0)
    loop.DispatchMessage(message);
  EXPECT_EQ(calls, (std::vector<unsigned>{0, wfRead}));
  EXPECT_GE(MsSince(start), 25);
  EXPECT_EQ(message.WParam, 0u);
  close(fds[0]);
  close(fds[1]);
}
