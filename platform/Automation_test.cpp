// The call rules of InvokeMember (target check, lookup, flags, by-reference
// strings, error mapping), object creation and the result conversions.
#include "platform/Automation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/RaisedBy.h"
#include "fake/RecordingControl.h"

namespace {

class TInvokeTest : public ::testing::Test {
protected:
  TRecordingControl Control;
  TVariant Target = TVariant::Object(Control.NewReference());
};

TEST_F(TInvokeTest, TargetMustHoldAnObject) {
  TVariant result;
  for (const TVariant &target :
       {TVariant(), TVariant::Null(), TVariant::Integer(1), TVariant::Object(nullptr)})
    EXPECT_EQ(RaisedBy([&] { InvokeMember(target, "mode", ikGet, nullptr, &result); }), NoObject);
}

TEST_F(TInvokeTest, FlagsArgumentsAndResultPerKind) {
  TVariant value = TVariant::Integer(3);
  TVariant result;
  InvokeMember(Target, "TimeFormat", ikPut, &value, nullptr);
  InvokeMember(Target, "TimeFormat", ikGet, nullptr, &result);
  InvokeMember(Target, "Run", ikMethod, nullptr, nullptr);
  ASSERT_EQ(Control.Calls.size(), 3u);
  EXPECT_EQ(Control.Calls[0].Flags, DispatchPropertyPut);
  EXPECT_EQ(Control.Calls[0].ArgCount, 1u);
  EXPECT_FALSE(Control.Calls[0].WantsResult);
  EXPECT_EQ(Control.Calls[1].Flags, DispatchMethod | DispatchPropertyGet);
  EXPECT_EQ(Control.Calls[1].ArgCount, 0u);
  EXPECT_TRUE(Control.Calls[1].WantsResult);
  EXPECT_EQ(Control.Calls[2].Flags, DispatchMethod);
  EXPECT_EQ(Control.Calls[2].ArgCount, 0u);
  EXPECT_EQ(VariantToInteger(result), 3);
  // No cache: every call looks its name up again.
  EXPECT_EQ(Control.Lookups, (std::vector<std::string>{"TimeFormat", "TimeFormat", "Run"}));
}

TEST_F(TInvokeTest, ResultIsClearedBeforeTheCall) {
  Control.FailOn("Position", E_Fail);
  TVariant result = TVariant::String("stale");
  EXPECT_NE(RaisedBy([&] { InvokeMember(Target, "Position", ikGet, nullptr, &result); }), "none");
  EXPECT_EQ(result.VType, varEmpty);
}

TEST_F(TInvokeTest, StringByReferenceIsCopiedBackOnlyAfterSuccess) {
  std::string text = "avivideo";
  TVariant argument = TVariant::StringByRef(text);
  Control.WriteBack("DeviceType", TVariant::String("AVIVideo"));
  InvokeMember(Target, "DeviceType", ikPut, &argument, nullptr);
  EXPECT_EQ(text, "AVIVideo");
  EXPECT_EQ(Control.Calls[0].ArgType, varOleStr | varByRef);

  Control.FailOn("DeviceType", E_Fail);
  Control.WriteBack("DeviceType", TVariant::String("garbage"));
  EXPECT_NE(RaisedBy([&] { InvokeMember(Target, "DeviceType", ikPut, &argument, nullptr); }),
            "none");
  EXPECT_EQ(text, "AVIVideo");
}

TEST_F(TInvokeTest, UnknownNameIsNotSupported) {
  Control.FailLookup("Rewind");
  EXPECT_EQ(RaisedBy([&] { InvokeMember(Target, "Rewind", ikMethod, nullptr, nullptr); }),
            "EOleError: Method 'Rewind' not supported by automation object");
  EXPECT_TRUE(Control.Calls.empty());
}

TEST_F(TInvokeTest, OtherLookupFailuresAreSystemErrors) {
  Control.FailLookup("Rewind", static_cast<int32_t>(0x80041234));
  try {
    InvokeMember(Target, "Rewind", ikMethod, nullptr, nullptr);
    FAIL() << "no error";
  } catch (const EOleSysError &error) {
    EXPECT_STREQ(error.KindName(), "EOleSysError");
    EXPECT_EQ(error.ErrorCode, static_cast<int32_t>(0x80041234));
    EXPECT_EQ(error.Message, "OLE error 80041234"); // a code the system has no text for
  }
}

TEST_F(TInvokeTest, ExceptionDescriptionLosesTrailingBlanksAndPeriods) {
  TExcepInfo info;
  info.SCode = static_cast<int32_t>(0x80040213);
  info.Source = "ActiveMovieControl";
  info.Description = "Cannot open the file. \r\n\t. ";
  info.HelpFile = "amovie.hlp";
  info.HelpContext = 42;
  Control.FailOn("FileName", DispE_Exception, info);
  TVariant name = TVariant::String("x.avi");
  try {
    InvokeMember(Target, "FileName", ikPut, &name, nullptr);
    FAIL() << "no error";
  } catch (const EOleException &error) {
    EXPECT_STREQ(error.KindName(), "EOleException");
    EXPECT_EQ(error.Message, "Cannot open the file");
    EXPECT_EQ(error.ErrorCode, static_cast<int32_t>(0x80040213));
    EXPECT_EQ(error.Source, "ActiveMovieControl");
    EXPECT_EQ(error.HelpFile, "amovie.hlp");
    EXPECT_EQ(error.HelpContext, 42);
  }
}

TEST_F(TInvokeTest, EmptyDescriptionGivesTheCodesText) {
  TExcepInfo info;
  info.SCode = static_cast<int32_t>(0x80041234);
  info.Description = " ..";
  Control.FailOn("Run", DispE_Exception, info);
  EXPECT_EQ(RaisedBy([&] { InvokeMember(Target, "Run", ikMethod, nullptr, nullptr); }),
            "EOleException: OLE error 80041234");
  // A description with bytes above 127 at its end keeps them.
  info.Description = "Fichier introuvable \xE9";
  Control.FailOn("Run", DispE_Exception, info);
  EXPECT_EQ(RaisedBy([&] { InvokeMember(Target, "Run", ikMethod, nullptr, nullptr); }),
            "EOleException: Fichier introuvable \xE9");
}

TEST_F(TInvokeTest, ExceptionWithoutCodeKeepsAFailureCode) {
  TExcepInfo info;
  info.Description = "Stopped";
  Control.FailOn("Run", DispE_Exception, info);
  try {
    InvokeMember(Target, "Run", ikMethod, nullptr, nullptr);
    FAIL() << "no error";
  } catch (const EOleException &error) {
    EXPECT_EQ(error.ErrorCode, DispE_Exception);
    EXPECT_EQ(error.Message, "Stopped");
  }
}

TEST(InvokeAliasTest, ResultMayBeTheTargetItself) {
  // The variant holds the only reference: clearing it for the result must
  // not destroy the object in the middle of the call.
  auto control = std::make_shared<TRecordingControl>();
  control->SetProperty("Self", TVariant::Integer(5));
  TVariant target = TVariant::Object(control);
  control.reset();
  InvokeMember(target, "Self", ikGet, nullptr, &target);
  EXPECT_EQ(VariantToInteger(target), 5);
}

TEST_F(TInvokeTest, OtherInvokeFailuresAreSystemErrors) {
  Control.FailOn("Run", DispE_MemberNotFound);
  try {
    InvokeMember(Target, "Run", ikMethod, nullptr, nullptr);
    FAIL() << "no error";
  } catch (const EOleSysError &error) {
    EXPECT_STREQ(error.KindName(), "EOleSysError");
    EXPECT_EQ(error.ErrorCode, DispE_MemberNotFound);
    EXPECT_FALSE(error.Message.empty());
    EXPECT_NE(error.Message.back(), '.');
  }
}

TEST(CreateAutomationObjectTest, RegistryFirstThenThePlatform) {
  TRecordingControl control;
  {
    TRegisteredControl registration("Cuestrip.TestControl", &control);
    auto object = CreateAutomationObject("Cuestrip.TestControl");
    EXPECT_EQ(object.get(), &control);
  }
  EXPECT_EQ(control.Released, 1);
  try {
    CreateAutomationObject("Cuestrip.TestControl");
    FAIL() << "created an unregistered class";
  } catch (const EOleSysError &error) {
    EXPECT_EQ(error.ErrorCode, CoE_ClassString);
    EXPECT_FALSE(error.Message.empty());
  }
}

TEST(CreateAutomationObjectTest, FactoryWithoutObjectIsAFailure) {
  RegisterAutomationClass("Cuestrip.Empty", [] { return std::shared_ptr<IDispatchObject>(); });
  EXPECT_EQ(RaisedBy([] { CreateAutomationObject("Cuestrip.Empty"); }).rfind("EOleSysError", 0),
            0u);
  UnregisterAutomationClass("Cuestrip.Empty");
}

TEST(VariantConversionTest, ToDouble) {
  EXPECT_EQ(VariantToDouble(TVariant::Currency(35000)), 3.5);
  EXPECT_EQ(VariantToDouble(TVariant::Integer(-7)), -7.0);
  TVariant single;
  single.VType = varSingle;
  single.DoubleValue = 2.25;
  EXPECT_EQ(VariantToDouble(single), 2.25);
  EXPECT_EQ(VariantToDouble(TVariant::String(" 12.5 ")), 12.5);
  EXPECT_EQ(VariantToDouble(TVariant::String("-1e3")), -1000.0);
  EXPECT_EQ(VariantToDouble(TVariant()), 0.0);
  EXPECT_EQ(VariantToDouble(TVariant::Boolean(true)), -1.0);
}

TEST(VariantConversionTest, ToIntegerRoundsToNearestEven) {
  EXPECT_EQ(VariantToInteger(TVariant::Double(87.6)), 88);
  EXPECT_EQ(VariantToInteger(TVariant::Double(2.5)), 2);
  EXPECT_EQ(VariantToInteger(TVariant::Double(3.5)), 4);
  EXPECT_EQ(VariantToInteger(TVariant::Double(-2.5)), -2);
  EXPECT_EQ(VariantToInteger(TVariant::Currency(25000)), 2); // 2.5
  EXPECT_EQ(VariantToInteger(TVariant::Currency(5260000)), 526);
  EXPECT_EQ(VariantToInteger(TVariant::String("526")), 526);
  TVariant small;
  small.VType = varSmallint;
  small.IntValue = -1;
  EXPECT_EQ(VariantToInteger(small), -1);
}

TEST(VariantConversionTest, ToString) {
  EXPECT_EQ(VariantToString(TVariant::String("film.avi")), "film.avi");
  EXPECT_EQ(VariantToString(TVariant::Integer(42)), "42");
  EXPECT_EQ(VariantToString(TVariant::Double(3.5)), "3.5");
  EXPECT_EQ(VariantToString(TVariant::Currency(35000)), "3.5");
  EXPECT_EQ(VariantToString(TVariant()), "");
}

TEST(VariantConversionTest, ImpossibleConversionsFail) {
  const char *expected = "EVariantError: Invalid variant type conversion";
  EXPECT_EQ(RaisedBy([] { VariantToDouble(TVariant::String("fast")); }), expected);
  EXPECT_EQ(RaisedBy([] { VariantToDouble(TVariant::Null()); }), expected);
  EXPECT_EQ(RaisedBy([] { VariantToInteger(TVariant::String("")); }), expected);
  EXPECT_EQ(RaisedBy([] { VariantToInteger(TVariant::Double(1e12)); }), expected);
  EXPECT_EQ(RaisedBy([] { VariantToInteger(TVariant::Double(std::nan(""))); }), expected);
  EXPECT_EQ(RaisedBy([] { VariantToInteger(TVariant::String("5000000000")); }), expected);
  EXPECT_EQ(RaisedBy([] { VariantToString(TVariant::Null()); }), expected);
}

} // namespace
