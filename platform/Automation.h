// Late-bound automation: a small variant, the dispatch interface that every
// control (COM object, stand-in or test fake) answers, the in-process
// registry of controls by ProgID, and the get/put/method call rules.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Variant type codes: the VT_ numbers of OLE automation.
enum : uint16_t {
  varEmpty = 0,
  varNull = 1,
  varSmallint = 2,
  varInteger = 3,
  varSingle = 4,
  varDouble = 5,
  varCurrency = 6,
  varDate = 7,
  varOleStr = 8,
  varDispatch = 9,
  varError = 10,
  varBoolean = 11,
  varVariant = 12,
  varUnknown = 13,
  varShortInt = 16,
  varByte = 17,
  varWord = 18,
  varLongWord = 19,
  varInt64 = 20,
  varByRef = 0x4000
};

// HRESULTs the shared code tests for.
enum : int32_t {
  S_Ok = 0,
  DispE_UnknownName = static_cast<int32_t>(0x80020006),
  DispE_Exception = static_cast<int32_t>(0x80020009),
  DispE_MemberNotFound = static_cast<int32_t>(0x80020003),
  DispE_TypeMismatch = static_cast<int32_t>(0x80020005),
  CoE_ClassString = static_cast<int32_t>(0x800401F3),
  E_Fail = static_cast<int32_t>(0x80004005),
};

// Invoke flags: the DISPATCH_ numbers.
enum : uint16_t { DispatchMethod = 1, DispatchPropertyGet = 2, DispatchPropertyPut = 4 };
constexpr int32_t DispIdPropertyPut = -3;

class IDispatchObject;

struct TVariant {
  uint16_t VType = varEmpty;
  int64_t IntValue = 0;   // integers, booleans (0 or -1), currency (x 10000)
  double DoubleValue = 0; // single, double, date
  std::string StringValue;
  std::shared_ptr<IDispatchObject> Dispatch;
  std::string *StringRef = nullptr; // varOleStr | varByRef
  double *DoubleRef = nullptr;      // varDouble | varByRef

  static TVariant Null() { return {.VType = varNull}; }
  static TVariant Integer(int32_t value) { return {.VType = varInteger, .IntValue = value}; }
  static TVariant Double(double value) { return {.VType = varDouble, .DoubleValue = value}; }
  static TVariant String(std::string value) {
    return {.VType = varOleStr, .StringValue = std::move(value)};
  }
  static TVariant Boolean(bool value) { return {.VType = varBoolean, .IntValue = value ? -1 : 0}; }
  static TVariant Currency(int64_t scaled) { return {.VType = varCurrency, .IntValue = scaled}; }
  static TVariant Object(std::shared_ptr<IDispatchObject> object) {
    return {.VType = varDispatch, .Dispatch = std::move(object)};
  }
  static TVariant StringByRef(std::string &ref) {
    return {.VType = varOleStr | varByRef, .StringRef = &ref};
  }
  static TVariant DoubleByRef(double &ref) {
    return {.VType = varDouble | varByRef, .DoubleRef = &ref};
  }
};

// The exception record of a DISP_E_EXCEPTION.
struct TExcepInfo {
  int32_t SCode = 0;
  std::string Source;
  std::string Description;
  std::string HelpFile;
  int32_t HelpContext = 0;
};

// What every automation object answers: IDispatch's GetIDsOfNames for one
// name and Invoke with at most one argument.
class IDispatchObject {
public:
  virtual ~IDispatchObject() = default;
  // S_Ok with the member's id, or DispE_UnknownName.
  virtual int32_t GetIDOfName(const std::string &name, int32_t &dispId) = 0;
  // `args` holds the put value (passed as the named argument DISPID_PROPERTYPUT)
  // or nothing. `result` is null when no result is wanted. On
  // DispE_Exception `excepInfo` describes the failure.
  virtual int32_t Invoke(int32_t dispId, uint16_t flags, std::vector<TVariant> &args,
                         TVariant *result, TExcepInfo &excepInfo) = 0;
};

using TAutomationFactory = std::function<std::shared_ptr<IDispatchObject>()>;

// The in-process registry, consulted first by CreateAutomationObject on both
// targets: the POSIX stand-in controls and the tests' fakes live here.
void RegisterAutomationClass(const std::string &progId, TAutomationFactory factory);
void UnregisterAutomationClass(const std::string &progId);

// Creates the object for a ProgID: the in-process registry first, then the
// platform (COM on Windows). Raises EOleSysError when there is none.
std::shared_ptr<IDispatchObject> CreateAutomationObject(const std::string &progId);

enum TInvokeKind { ikGet, ikPut, ikMethod };

// One get, put or method call by member name on the object held in `target`.
void InvokeMember(const TVariant &target, const std::string &name, TInvokeKind kind,
                  const TVariant *argument, TVariant *result);

// The integer kinds (kept in IntValue) and the floating kinds (single,
// double, date; kept in DoubleValue).
bool IsIntegerType(uint16_t varType);
bool IsFloatType(uint16_t varType);

// Result conversions with the system's rules.
double VariantToDouble(const TVariant &value);
int32_t VariantToInteger(const TVariant &value);
std::string VariantToString(const TVariant &value);

// Once per process: COM on Windows, nothing on POSIX.
void InitializeAutomation();
void UninitializeAutomation();
