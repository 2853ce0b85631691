// The recording automation object of the tests and its registration.
#include "fake/RecordingControl.h"

#include <cstdio>

#include "base/Errors.h"

namespace {

const char *TypeName(uint16_t varType) {
  switch (varType & ~varByRef) {
  case varEmpty: return "EMPTY";
  case varNull: return "NULL";
  case varSmallint: return "I2";
  case varInteger: return "I4";
  case varSingle: return "R4";
  case varDouble: return "R8";
  case varCurrency: return "CY";
  case varDate: return "DATE";
  case varOleStr: return "BSTR";
  case varDispatch: return "DISPATCH";
  case varError: return "ERROR";
  case varBoolean: return "BOOL";
  case varInt64: return "I8";
  default: return "OTHER";
  }
}

// The value a by-reference variant points at, as a by-value variant.
TVariant ReadThrough(const TVariant &value) {
  if (value.VType == (varOleStr | varByRef) && value.StringRef)
    return TVariant::String(*value.StringRef);
  if (value.VType == (varDouble | varByRef) && value.DoubleRef)
    return TVariant::Double(*value.DoubleRef);
  return value;
}

} // namespace

// The value part of a call text: " \"open\"", " 3", " 60".
static std::string ValueText(const TVariant &direct) {
  char buffer[64];
  switch (direct.VType) {
  case varOleStr: return " \"" + direct.StringValue + "\"";
  case varSingle:
  case varDouble:
  case varDate: std::snprintf(buffer, sizeof buffer, " %.10g", direct.DoubleValue); return buffer;
  case varEmpty:
  case varNull:
  case varDispatch: return "";
  default: return " " + std::to_string(direct.IntValue);
  }
}

std::string DescribeVariant(const TVariant &value) {
  std::string text = TypeName(value.VType);
  if (value.VType & varByRef) text += " byref";
  return text + ValueText(ReadThrough(value));
}

std::string TRecordedCall::Text() const {
  std::string kind = Flags == (DispatchMethod | DispatchPropertyGet) ? "get"
                     : Flags == DispatchPropertyPut                  ? "put"
                     : Flags == DispatchMethod                       ? "call"
                                               : "flags " + std::to_string(Flags);
  std::string text = kind + " " + Name;
  if (ArgCount > 0) {
    text += std::string(" ") + TypeName(ArgType);
    if (ArgType & varByRef) text += " byref";
    text += ValueText(Value);
  }
  if (ArgCount > 1) text += " (+" + std::to_string(ArgCount - 1) + " more)";
  return text;
}

void TRecordingControl::SetProperty(const std::string &name, const TVariant &value) {
  Properties[name] = value;
}

void TRecordingControl::FailOn(const std::string &name, int32_t status, const TExcepInfo &info) {
  FFailures[name] = {status, info};
}

void TRecordingControl::FailLookup(const std::string &name, int32_t status) {
  FLookupFailures[name] = status;
}

void TRecordingControl::WriteBack(const std::string &name, const TVariant &value) {
  FWriteBacks[name] = value;
}

std::vector<std::string> TRecordingControl::CallTexts() const {
  std::vector<std::string> texts;
  for (const TRecordedCall &call : Calls)
    texts.push_back(call.Text());
  return texts;
}

void TRecordingControl::ClearLog() {
  Calls.clear();
  Lookups.clear();
}

std::shared_ptr<IDispatchObject> TRecordingControl::NewReference() {
  ++Created;
  return std::shared_ptr<IDispatchObject>(this, [this](IDispatchObject *) { ++Released; });
}

int32_t TRecordingControl::GetIDOfName(const std::string &name, int32_t &dispId) {
  Lookups.push_back(name);
  auto failure = FLookupFailures.find(name);
  if (failure != FLookupFailures.end()) return failure->second;
  for (size_t i = 0; i < FNames.size(); ++i) {
    if (FNames[i] == name) {
      dispId = static_cast<int32_t>(i) + 1;
      return S_Ok;
    }
  }
  FNames.push_back(name);
  dispId = static_cast<int32_t>(FNames.size());
  return S_Ok;
}

int32_t TRecordingControl::Invoke(int32_t dispId, uint16_t flags, std::vector<TVariant> &args,
                                  TVariant *result, TExcepInfo &excepInfo) {
  if (dispId < 1 || dispId > static_cast<int32_t>(FNames.size())) return DispE_MemberNotFound;
  const std::string &name = FNames[dispId - 1];
  TRecordedCall call;
  call.Flags = flags;
  call.Name = name;
  call.ArgCount = args.size();
  call.WantsResult = result != nullptr;
  if (!args.empty()) {
    call.ArgType = args.front().VType;
    call.Value = ReadThrough(args.front());
  }
  Calls.push_back(call);

  auto failure = FFailures.find(name);
  if (failure != FFailures.end()) {
    if (failure->second.Status == DispE_Exception) excepInfo = failure->second.Info;
    return failure->second.Status;
  }
  if (flags & DispatchPropertyPut) {
    if (args.empty()) return DispE_TypeMismatch;
    Properties[name] = call.Value;
    auto writeBack = FWriteBacks.find(name);
    TVariant &argument = args.front();
    if (writeBack != FWriteBacks.end()) {
      if (argument.VType == (varOleStr | varByRef) && argument.StringRef)
        *argument.StringRef = writeBack->second.StringValue;
      if (argument.VType == (varDouble | varByRef) && argument.DoubleRef)
        *argument.DoubleRef = writeBack->second.DoubleValue;
    }
    return S_Ok;
  }
  if (result) {
    auto found = Properties.find(name);
    *result = found != Properties.end() ? found->second : TVariant();
  }
  return S_Ok;
}

TRegisteredControl::TRegisteredControl(const std::string &progId, TRecordingControl *control,
                                       std::vector<std::string> *creations)
    : FProgId(progId) {
  RegisterAutomationClass(progId, [progId, control, creations]() {
    if (creations) creations->push_back(progId);
    if (!control) Raise(EOleSysError("Invalid class string", CoE_ClassString));
    return control->NewReference();
  });
}

TRegisteredControl::~TRegisteredControl() { UnregisterAutomationClass(FProgId); }
