// For tests that need a console of their own: they run in a child process
// started with a fresh console by the test in Console_test.cpp, which runs
// every test whose suite name begins with Win32FreshConsole.
#pragma once

#include "platform/win32/WindowsApi.h"
#include <gtest/gtest.h>

// The console tests free the process's console and make a new one, which
// would cut the test binary off from its own output. They therefore run in a
// child process of their own, started with this variable set.
constexpr char ChildVariable[] = "CUESTRIP_FRESH_CONSOLE_TESTS";
constexpr DWORD ChildLimitMs = 120000;

inline bool InChild() { return GetEnvironmentVariableA(ChildVariable, nullptr, 0) > 0; }

// A test of the child process: registered only there, so the normal run
// neither runs nor lists it.
#define CHILD_TEST(Fixture, Name)                                                                  \
  class Fixture##_##Name : public Fixture {                                                        \
  public:                                                                                          \
    void TestBody() override;                                                                      \
  };                                                                                               \
  const bool Fixture##_##Name##_Registered =                                                       \
      InChild() && (::testing::RegisterTest(#Fixture, #Name, nullptr, nullptr, __FILE__, __LINE__, \
                                            []() -> Fixture * { return new Fixture##_##Name; }),   \
                    true);                                                                         \
  void Fixture##_##Name::TestBody()
