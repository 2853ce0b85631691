// Member lookup, call dispatch and error reporting of the stand-in controls.
#include "player/mpv/StandInControl.h"

#include <cmath>
#include <strings.h>

#include "player/mpv/MpvEngine.h"

namespace {

constexpr int32_t DispE_BadParamCount = static_cast<int32_t>(0x8002000E);

struct TTypeMismatch {};

} // namespace

int32_t TStandInControl::GetIDOfName(const std::string &name, int32_t &dispId) {
  for (size_t i = 0; i < FMembers.size(); ++i)
    if (strcasecmp(FMembers[i].Name.c_str(), name.c_str()) == 0) {
      dispId = static_cast<int32_t>(i + 1);
      return S_Ok;
    }
  return DispE_UnknownName;
}

int32_t TStandInControl::Invoke(int32_t dispId, uint16_t flags, std::vector<TVariant> &args,
                                TVariant *result, TExcepInfo &excepInfo) {
  if (dispId < 1 || static_cast<size_t>(dispId) > FMembers.size()) return DispE_MemberNotFound;
  TMember &member = FMembers[static_cast<size_t>(dispId - 1)];
  try {
    if (flags & DispatchPropertyPut) {
      if (!member.Put) return DispE_MemberNotFound;
      if (args.size() != 1) return DispE_BadParamCount;
      member.Put(args[0]);
    } else if (member.Call) {
      member.Call();
    } else if (member.Get) {
      TVariant value = member.Get();
      if (result) *result = value;
    } else {
      return DispE_MemberNotFound;
    }
    return S_Ok;
  } catch (const TTypeMismatch &) {
    return DispE_TypeMismatch;
  } catch (const TEngineError &error) {
    excepInfo = TExcepInfo{};
    excepInfo.SCode = E_Fail;
    excepInfo.Source = FSource;
    excepInfo.Description = error.Message;
    return DispE_Exception;
  }
}

void TStandInControl::AddProperty(const std::string &name, TGetter get, TSetter put) {
  FMembers.push_back(TMember{name, std::move(get), std::move(put), nullptr});
}

void TStandInControl::AddMethod(const std::string &name, std::function<void()> call) {
  FMembers.push_back(TMember{name, nullptr, nullptr, std::move(call)});
}

double TStandInControl::ArgDouble(const TVariant &value) {
  if (value.VType == (varDouble | varByRef) && value.DoubleRef) return *value.DoubleRef;
  if (IsFloatType(value.VType)) return value.DoubleValue;
  if (value.VType == varCurrency) return static_cast<double>(value.IntValue) / 10000.0;
  if (IsIntegerType(value.VType) || value.VType == varBoolean)
    return static_cast<double>(value.IntValue);
  throw TTypeMismatch{};
}

int32_t TStandInControl::ArgInteger(const TVariant &value) {
  double number = std::nearbyint(ArgDouble(value));
  if (!(number >= -2147483648.0 && number <= 2147483647.0)) throw TTypeMismatch{};
  return static_cast<int32_t>(number);
}

bool TStandInControl::ArgBoolean(const TVariant &value) { return ArgDouble(value) != 0; }

std::string TStandInControl::ArgString(const TVariant &value) {
  if (value.VType == varOleStr) return value.StringValue;
  if (value.VType == (varOleStr | varByRef) && value.StringRef) return *value.StringRef;
  throw TTypeMismatch{};
}
