// The shared part of the automation layer: the in-process registry, object
// creation, the get/put/method call rules, error mapping and result
// conversions.
#include "platform/Automation.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "base/Errors.h"
#include "base/Int32.h"
#include "platform/AutomationPlatform.h"

namespace {

std::map<std::string, TAutomationFactory> &Registry() {
  static std::map<std::string, TAutomationFactory> registry;
  return registry;
}

// Cuts trailing blanks, control characters and periods, as messages shown to
// the user end without them.
std::string CutTrailing(std::string text) {
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.'))
    text.pop_back();
  return text;
}

[[noreturn]] void RaiseConversionError() {
  Raise(EVariantError("Invalid variant type conversion"));
}

// Nearest integer, halves to even, within 32 bits.
int32_t RoundToInteger(double value) {
  const std::optional<int32_t> rounded = RoundToInt32(value);
  if (!rounded) RaiseConversionError();
  return *rounded;
}

TVariant ChangeType(const TVariant &value, uint16_t varType) {
  TVariant converted;
  if (!PlatformChangeType(value, varType, converted)) RaiseConversionError();
  return converted;
}

} // namespace

bool IsIntegerType(uint16_t varType) {
  switch (varType) {
  case varSmallint:
  case varInteger:
  case varShortInt:
  case varByte:
  case varWord:
  case varLongWord:
  case varInt64: return true;
  default: return false;
  }
}

bool IsFloatType(uint16_t varType) {
  return varType == varSingle || varType == varDouble || varType == varDate;
}

std::string OleErrorMessage(const std::string &message, int32_t code) {
  if (!message.empty()) return message;
  std::string text = CutTrailing(PlatformErrorText(code));
  if (!text.empty()) return text;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "OLE error %.8X", static_cast<unsigned>(code));
  return buffer;
}

void RegisterAutomationClass(const std::string &progId, TAutomationFactory factory) {
  Registry()[progId] = std::move(factory);
}

void UnregisterAutomationClass(const std::string &progId) { Registry().erase(progId); }

std::shared_ptr<IDispatchObject> CreateAutomationObject(const std::string &progId) {
  auto found = Registry().find(progId);
  if (found == Registry().end()) return PlatformCreateAutomationObject(progId);
  std::shared_ptr<IDispatchObject> object = found->second();
  // A factory that yields nothing is a creation failure, not a null object
  // for later calls to trip over.
  if (!object) Raise(EOleSysError(OleErrorMessage("", E_Fail), E_Fail));
  return object;
}

void InvokeMember(const TVariant &target, const std::string &name, TInvokeKind kind,
                  const TVariant *argument, TVariant *result) {
  if (target.VType != varDispatch || !target.Dispatch)
    Raise(EOleError("Variant does not reference an automation object"));
  // Our own reference: the result variant may be the target itself.
  std::shared_ptr<IDispatchObject> keep = target.Dispatch;
  IDispatchObject &object = *keep;

  // Looked up on every call: a control may change its members at any time.
  int32_t dispId = 0;
  int32_t status = object.GetIDOfName(name, dispId);
  if (status == DispE_UnknownName)
    Raise(EOleError("Method '" + name + "' not supported by automation object"));
  if (status < 0) Raise(EOleSysError(OleErrorMessage("", status), status));

  if (result) *result = TVariant();

  // A string by reference travels as a copy of the caller's text, which is
  // copied back once the call has succeeded.
  std::string stringCopy;
  std::string *stringTarget = nullptr;
  std::vector<TVariant> args;
  uint16_t flags = DispatchMethod;
  if (kind == ikPut) {
    flags = DispatchPropertyPut;
    TVariant value = argument ? *argument : TVariant();
    if (value.VType == (varOleStr | varByRef) && value.StringRef) {
      stringTarget = value.StringRef;
      stringCopy = *stringTarget;
      value = TVariant::StringByRef(stringCopy);
    }
    args.push_back(value);
  } else if (kind == ikGet) {
    flags = DispatchMethod | DispatchPropertyGet;
  }

  TExcepInfo excepInfo;
  status = object.Invoke(dispId, flags, args, result, excepInfo);
  if (status == DispE_Exception) {
    // A record without a code still reports a failure, never success.
    int32_t code = excepInfo.SCode != 0 ? excepInfo.SCode : DispE_Exception;
    Raise(EOleException(OleErrorMessage(CutTrailing(excepInfo.Description), code), code,
                        excepInfo.Source, excepInfo.HelpFile, excepInfo.HelpContext));
  }
  if (status < 0) Raise(EOleSysError(OleErrorMessage("", status), status));
  if (stringTarget) *stringTarget = stringCopy;
}

double VariantToDouble(const TVariant &value) {
  if (IsIntegerType(value.VType)) return static_cast<double>(value.IntValue);
  if (IsFloatType(value.VType)) return value.DoubleValue;
  if (value.VType == varCurrency) return static_cast<double>(value.IntValue) / 10000.0;
  return ChangeType(value, varDouble).DoubleValue;
}

int32_t VariantToInteger(const TVariant &value) {
  if (IsIntegerType(value.VType)) {
    if (value.IntValue < INT32_MIN || value.IntValue > INT32_MAX) RaiseConversionError();
    return static_cast<int32_t>(value.IntValue);
  }
  if (IsFloatType(value.VType)) return RoundToInteger(value.DoubleValue);
  if (value.VType == varCurrency)
    return RoundToInteger(static_cast<double>(value.IntValue) / 10000.0);
  return static_cast<int32_t>(ChangeType(value, varInteger).IntValue);
}

std::string VariantToString(const TVariant &value) {
  if (value.VType == varOleStr) return value.StringValue;
  return ChangeType(value, varOleStr).StringValue;
}
