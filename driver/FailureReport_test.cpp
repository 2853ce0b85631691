// Tests of the top-level failure report: its format, the "." rule, the module
// name without directory and the address of the raise.
#include <gtest/gtest.h>

#include <new>

#include "base/Errors.h"
#include "driver/FailureReport.h"
#include "platform/ModuleInfo.h"

namespace {

std::string Zeros(size_t n) { return std::string(n, '0'); }
const size_t PointerDigits = sizeof(void *) * 2;

TEST(FailureReport, FormatAndFullStopRule) {
  const void *address = reinterpret_cast<const void *>(uintptr_t{0x4A2B3C});
  EXPECT_EQ(FormatFailureReport("EInOutError", "C:\\app\\cuestrip.exe", address, "File not found"),
            "Exception EInOutError in module cuestrip.exe at " + Zeros(PointerDigits - 6) +
                "4A2B3C.\nFile not found.");
  EXPECT_EQ(FormatFailureReport("EOleError", "/usr/bin/cuestrip", nullptr, "Done."),
            "Exception EOleError in module cuestrip at " + Zeros(PointerDigits) + ".\nDone.");
  EXPECT_EQ(FormatFailureReport("Exception", "m", nullptr, ""),
            "Exception Exception in module m at " + Zeros(PointerDigits) + ".\n.");
  // Only a final "." counts; one earlier in the message does not.
  EXPECT_EQ(FormatFailureReport("E", "m", nullptr, "a. b").substr(PointerDigits + 27), ".\na. b.");
}

[[gnu::noinline]] void FailHere() { Raise(EInOutError(5)); }

TEST(FailureReport, NamesTheKindTheModuleAndTheRaisingCode) {
  try {
    FailHere();
    FAIL() << "no error";
  } catch (const Exception &error) {
    ASSERT_NE(error.Address, nullptr);
    const std::string module = ModuleFileName(error.Address);
    ASSERT_FALSE(module.empty());
    const std::string name = module.substr(module.find_last_of("/\\") + 1);
    EXPECT_NE(name.find("cuestrip_tests"), std::string::npos) << module;
    const std::string report = FailureReport(error);
    EXPECT_EQ(report.rfind("Exception EInOutError in module " + name + " at ", 0), 0u) << report;
    EXPECT_EQ(report.substr(report.size() - 21), ".\nFile access denied.");
    // The address shown lies inside the function that raised.
    const std::string shown = report.substr(report.find(" at ") + 4, PointerDigits);
    const auto value = std::stoull(shown, nullptr, 16);
    const auto start = reinterpret_cast<uintptr_t>(&FailHere);
    EXPECT_GT(value, start);
    EXPECT_LT(value, start + 4096); // generous: sanitizers make the function long
  }
}

TEST(FailureReport, ErrorWithoutAddressNamesTheProgramModule) {
  const std::string report =
      FailureReport(EOleError("Variant does not reference an automation object"));
  EXPECT_NE(report.find("cuestrip_tests"), std::string::npos) << report;
  EXPECT_NE(report.find("at " + Zeros(PointerDigits) + ".\n"), std::string::npos);
}

TEST(FailureReport, RuntimeFailuresGetAKindName) {
  EXPECT_NE(FailureReport(std::bad_alloc()).find("Exception EOutOfMemory in module "),
            std::string::npos);
  EXPECT_EQ(FailureReport(std::bad_alloc()).substr(FailureReport(std::bad_alloc()).size() - 15),
            "\nOut of memory.");
}

} // namespace
