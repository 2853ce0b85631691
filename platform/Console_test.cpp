// What every platform's console does on a real terminal: the title is taken,
// the buffer and its window are described, the cursor hides, and a typed key
// is peeked without being taken, then read once as a press and a release.
#include "platform/Console.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/TestTerminal.h"

namespace {

class ConsoleContract : public ::testing::Test {
protected:
  void SetUp() override {
    std::string why;
    Terminal = OpenTestTerminal(why);
    if (!Terminal) GTEST_SKIP() << why;
    Input = Console().GetStdHandle(StdInputHandle);
    Output = Console().GetStdHandle(StdOutputHandle);
  }
  IConsole &Console() { return Terminal->Console(); }

  // Peeks until a typed key has arrived (a terminal passes it on a moment
  // later), at most a second.
  uint32_t PeekArrived(TInputRecord &event) {
    uint32_t count = 0;
    for (int i = 0; i < 100 && count == 0; ++i) {
      EXPECT_TRUE(Console().PeekInput(Input, event, count));
      if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return count;
  }

  std::unique_ptr<TTestTerminal> Terminal;
  THandle Input = InvalidHandle;
  THandle Output = InvalidHandle;
};

TEST_F(ConsoleContract, TitleBufferWindowAndCursor) {
  ASSERT_NE(Input, InvalidHandle);
  ASSERT_NE(Output, InvalidHandle);
  EXPECT_TRUE(Console().SetConsoleTitle("Subtitles: caf\xC3\xA9 & co"));
  TScreenBufferInfo info;
  ASSERT_TRUE(Console().GetScreenBufferInfo(Output, info));
  EXPECT_GT(info.Size.X, 0);
  EXPECT_GT(info.Size.Y, 0);
  EXPECT_GE(info.Window.Left, 0);
  EXPECT_LE(info.Window.Left, info.Window.Right);
  EXPECT_LT(info.Window.Right, info.Size.X);
  EXPECT_LE(info.Window.Top, info.Window.Bottom);
  EXPECT_FALSE(Console().SizeChanged(Output)) << "nothing was resized since it was asked";
  EXPECT_TRUE(Console().SetCursorInfo(Output, 1, false));
}

TEST_F(ConsoleContract, ATypedKeyIsPeekedThenReadOnceAsAPressAndARelease) {
  Terminal->Type("q");
  std::string seen;
  for (int round = 0; round < 2; ++round) {
    TInputRecord peeked, taken;
    ASSERT_EQ(PeekArrived(peeked), 1u);
    uint32_t count = 0;
    ASSERT_TRUE(Console().PeekInput(Input, peeked, count)) << "a peek leaves the key";
    ASSERT_EQ(count, 1u);
    ASSERT_TRUE(Console().ReadInput(Input, taken, count));
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(taken.EventType, KeyEvent);
    EXPECT_EQ(taken.KeyDown, peeked.KeyDown);
    EXPECT_EQ(taken.AsciiChar, peeked.AsciiChar);
    seen += taken.KeyDown ? "+" : "-";
    seen += taken.AsciiChar;
  }
  EXPECT_EQ(seen, "+q-q");
  // The queue is empty now: the peek answers at once with nothing.
  TInputRecord event;
  uint32_t count = 7;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(Console().PeekInput(Input, event, count));
  EXPECT_EQ(count, 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

} // namespace
