// InvokeMember over real COM: what reaches the server, unknown names, the
// exception record and its description, and the conversions of real
// VARIANT results, including the portable change-type step held against
// VariantChangeTypeEx.
#include "platform/win32/WindowsApi.h"

#include <gtest/gtest.h>

#include "ComTestSupport.h"
#include "fake/RecordingControl.h"
#include "platform/AutomationPlatform.h"

namespace {

using Lines = std::vector<std::string>;

class ComInvokeTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetServerSettings();
    Control = CreateControl("MCI.MMControl");
  }

  void Put(const char *name, const TVariant &value) {
    InvokeMember(Control, name, ikPut, &value, nullptr);
  }
  TVariant Get(const char *name) {
    TVariant result;
    InvokeMember(Control, name, ikGet, nullptr, &result);
    return result;
  }
  TVariant Value(const std::string &layout) {
    Put("TestValueSpec", TVariant::String(layout));
    return Get("TestValue");
  }

  TVariant Control;
};

TEST_F(ComInvokeTest, ArgumentsReachTheServerAsSent) {
  double frames = 60;
  std::string name = "C:\\films\\film.avi";
  Put("TimeFormat", TVariant::Integer(3));
  Put("Position", TVariant::DoubleByRef(frames));
  Put("FileName", TVariant::StringByRef(name));
  Put("Command", TVariant::String("open"));
  EXPECT_EQ(VariantToInteger(Get("mode")), 525);
  EXPECT_EQ(ServerLog(), (Lines{"put TimeFormat I4 3", "put Position R8 byref 60",
                                "put FileName BSTR byref \"C:\\films\\film.avi\"",
                                "put Command BSTR \"open\"", "get mode"}));
}

TEST_F(ComInvokeTest, NamesAreLookedUpInTheThreadsLocale) {
  Get("mode");
  EXPECT_EQ(static_cast<LCID>(VariantToInteger(Get("TestLookupLocale"))), GetThreadLocale());
}

TEST_F(ComInvokeTest, StringByReferenceComesBack) {
  std::string deviceType = "avivideo";
  Put("DeviceType", TVariant::StringByRef(deviceType));
  EXPECT_EQ(deviceType, "AVIVIDEO");
  EXPECT_EQ(VariantToString(Get("DeviceType")), "AVIVIDEO");
}

TEST_F(ComInvokeTest, AnsiTextSurvivesTheTrip) {
  std::string name = "C:\\Filme\\M\xFC"
                     "ller.avi"; // u-umlaut in code page 1252
  Put("FileName", TVariant::StringByRef(name));
  EXPECT_EQ(VariantToString(Get("FileName")), name);
}

TEST_F(ComInvokeTest, UnknownNameIsNotSupported) {
  EXPECT_EQ(RaisedBy([&] { InvokeMember(Control, "Rewind", ikMethod, nullptr, nullptr); }),
            "EOleError: Method 'Rewind' not supported by automation object");
  // A member of the other control's vocabulary is just as unknown here.
  EXPECT_EQ(RaisedBy([&] { Get("CurrentPosition"); }),
            "EOleError: Method 'CurrentPosition' not supported by automation object");
  EXPECT_TRUE(ServerLog().empty());
}

TEST_F(ComInvokeTest, ExceptionDescriptionIsCutAndTheRecordCopied) {
  Put("TestFail", TVariant::String("Cannot open the file. \r\n\t.. "));
  try {
    Get("mode");
    FAIL() << "no error";
  } catch (const EOleException &error) {
    EXPECT_STREQ(error.KindName(), "EOleException");
    EXPECT_EQ(error.Message, "Cannot open the file");
    EXPECT_EQ(error.ErrorCode, E_Fail);
    EXPECT_EQ(error.Source, "CuestripTestControl");
    EXPECT_EQ(error.HelpFile, "cuestrip.hlp");
    EXPECT_EQ(error.HelpContext, 7);
  }
}

TEST_F(ComInvokeTest, EmptyDescriptionGivesTheSystemsTextOrTheCode) {
  Put("TestFail", TVariant::String(" . "));
  std::string raised = RaisedBy([&] { Get("mode"); });
  EXPECT_EQ(raised.rfind("EOleException: ", 0), 0u) << raised;
  EXPECT_NE(raised, "EOleException: ");
  EXPECT_NE(raised.back(), '.');
  EXPECT_NE(raised.back(), ' ');
}

TEST_F(ComInvokeTest, CodeWithoutSystemText) {
  Put("TestFailCode", TVariant::Integer(static_cast<int32_t>(0x80041234)));
  Put("TestFail", TVariant::String(".\r\n"));
  EXPECT_EQ(RaisedBy([&] { Get("mode"); }), "EOleException: OLE error 80041234");
}

TEST_F(ComInvokeTest, OtherFailuresAreSystemErrors) {
  // "Command" answers a get with a type mismatch.
  try {
    Get("Command");
    FAIL() << "no error";
  } catch (const EOleSysError &error) {
    EXPECT_STREQ(error.KindName(), "EOleSysError");
    EXPECT_EQ(error.ErrorCode, DispE_TypeMismatch);
    EXPECT_FALSE(error.Message.empty());
  }
}

TEST_F(ComInvokeTest, CurrencyAndFloatingResults) {
  EXPECT_EQ(VariantToDouble(Value("CY:35000")), 3.5);
  EXPECT_EQ(VariantToInteger(Value("CY:35000")), 4);
  EXPECT_EQ(VariantToInteger(Value("CY:25000")), 2);
  EXPECT_EQ(VariantToString(Value("CY:35000")), "3.5");
  EXPECT_EQ(VariantToDouble(Value("R4:2.5")), 2.5);
  EXPECT_EQ(VariantToInteger(Value("R4:2.5")), 2);
  EXPECT_EQ(VariantToInteger(Value("R8:87.6")), 88);
  EXPECT_EQ(VariantToDouble(Value("DATE:36526.5")), 36526.5);
  EXPECT_EQ(VariantToInteger(Value("DATE:36526.75")), 36527);
}

TEST_F(ComInvokeTest, IntegerAndOtherResults) {
  EXPECT_EQ(VariantToInteger(Value("I2:-7")), -7);
  EXPECT_EQ(VariantToDouble(Value("I2:526")), 526.0);
  EXPECT_EQ(VariantToInteger(Value("UI1:200")), 200);
  EXPECT_EQ(VariantToDouble(Value("BSTR:12.5")), 12.5);
  EXPECT_EQ(VariantToInteger(Value("BSTR:526")), 526);
  EXPECT_EQ(VariantToDouble(Value("DECIMAL:123.25")), 123.25);
  EXPECT_EQ(VariantToInteger(Value("BOOL:1")), -1);
  EXPECT_EQ(VariantToDouble(Value("EMPTY")), 0.0);
  EXPECT_EQ(VariantToString(Value("EMPTY")), "");
}

TEST_F(ComInvokeTest, ImpossibleConversionsFail) {
  const char *expected = "EVariantError: Invalid variant type conversion";
  EXPECT_EQ(RaisedBy([&] { VariantToDouble(Value("BSTR:fast")); }), expected);
  EXPECT_EQ(RaisedBy([&] { VariantToInteger(Value("NULL")); }), expected);
  EXPECT_EQ(RaisedBy([&] { VariantToString(Value("NULL")); }), expected);
  EXPECT_EQ(RaisedBy([&] { VariantToInteger(Value("I8:5000000000")); }), expected);
  EXPECT_EQ(RaisedBy([&] { VariantToInteger(Value("R8:1e12")); }), expected);
}

// The POSIX side converts with its own code: it must agree with the system.
TEST(ChangeTypeAgreementTest, PortableStepMatchesVariantChangeTypeEx) {
  auto single = [](double value) {
    TVariant v;
    v.VType = varSingle;
    v.DoubleValue = value;
    return v;
  };
  auto date = [](double value) {
    TVariant v;
    v.VType = varDate;
    v.DoubleValue = value;
    return v;
  };
  auto smallint = [](int value) {
    TVariant v;
    v.VType = varSmallint;
    v.IntValue = value;
    return v;
  };
  const TVariant values[] = {TVariant(),
                             TVariant::Null(),
                             TVariant::Integer(-42),
                             smallint(526),
                             TVariant::Double(3.5),
                             TVariant::Double(2.5),
                             TVariant::Double(-2.5),
                             TVariant::Double(0.1),
                             TVariant::Double(87.6),
                             TVariant::Double(1e20),
                             TVariant::Double(123456789.125),
                             TVariant::Double(1e-7),
                             single(2.5f),
                             single(0.1f),
                             TVariant::Currency(35000),
                             TVariant::Currency(-12345),
                             TVariant::Currency(1),
                             TVariant::Currency(0),
                             date(36526.5),
                             date(36526),
                             date(0.25),
                             date(-1.5),
                             date(1e7),
                             date(-1e7),
                             date(2958465.5),
                             TVariant::Double(-1e300),
                             TVariant::Boolean(true),
                             TVariant::Boolean(false),
                             TVariant::String("12.5"),
                             TVariant::String(" 7 "),
                             TVariant::String("-4"),
                             TVariant::String("1e3"),
                             TVariant::String("abc"),
                             TVariant::String(""),
                             TVariant::String("2.5"),
                             TVariant::String("3000000000"),
                             TVariant::String("1,000"),
                             TVariant::String("&H10"),
                             TVariant::String("&o17"),
                             TVariant::String("1.5e400"),
                             TVariant::String("12,345.5"),
                             TVariant::String(",5"),
                             TVariant::String("5,")};
  for (const TVariant &value : values) {
    for (uint16_t type : {varDouble, varInteger, varOleStr}) {
      TVariant system, portable;
      bool systemOk = PlatformChangeType(value, type, system);
      bool portableOk = PortableChangeType(value, type, portable);
      std::string what = DescribeVariant(value) + " to " + std::to_string(type);
      EXPECT_EQ(portableOk, systemOk) << what;
      if (!systemOk || !portableOk) continue;
      EXPECT_EQ(portable.VType, system.VType) << what;
      EXPECT_EQ(portable.IntValue, system.IntValue) << what;
      EXPECT_EQ(portable.DoubleValue, system.DoubleValue) << what;
      EXPECT_EQ(portable.StringValue, system.StringValue) << what;
    }
  }
}

} // namespace
