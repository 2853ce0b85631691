// The test control's members: the MCI, ActiveMovie and Windows Media Player
// vocabularies over a real-time clock, the test members, the call log and
// DISP_E_EXCEPTION.
#include "TestControl.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Every member and the kinds that know it; a DISPID is the index plus one.
constexpr unsigned Mci = 1 << ckMci, AMovie = 1 << ckAMovie, Wmp = 1 << ckWmp,
                   WmpSettings = 1 << ckWmpSettings, WmpControls = 1 << ckWmpControls,
                   TopLevel = Mci | AMovie | Wmp;
struct TMember {
  const char *Name;
  unsigned Kinds;
};
const TMember Members[] = {{"TimeFormat", Mci},
                           {"Position", Mci},
                           {"FileName", Mci | AMovie},
                           {"mode", Mci},
                           {"Command", Mci},
                           {"DeviceType", Mci},
                           {"CurrentPosition", AMovie},
                           {"DisplayMode", AMovie},
                           {"currentstate", AMovie},
                           {"FullScreenMode", AMovie},
                           {"Run", AMovie},
                           {"Stop", AMovie},
                           {"Pause", AMovie},
                           {"URL", Wmp},
                           {"uiMode", Wmp},
                           {"playState", Wmp},
                           {"settings", Wmp},
                           {"controls", Wmp},
                           {"autoStart", WmpSettings},
                           {"play", WmpControls},
                           {"pause", WmpControls},
                           {"stop", WmpControls},
                           {"currentPosition", WmpControls},
                           {"TestFail", TopLevel},
                           {"TestFailCode", TopLevel},
                           {"TestValueSpec", TopLevel},
                           {"TestValue", TopLevel},
                           {"TestLog", TopLevel},
                           {"TestClearLog", TopLevel},
                           {"TestLookupLocale", TopLevel}};
constexpr DISPID MemberCount = sizeof Members / sizeof Members[0];

std::string Environment(const char *name, const char *fallback = "") {
  char buffer[1024];
  DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : fallback;
}

std::string Narrow(const wchar_t *text, int length) {
  if (!text || length == 0) return "";
  int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

std::string FromBstr(BSTR text) { return Narrow(text, text ? SysStringLen(text) : 0); }

BSTR ToBstr(const std::string &text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR wide = SysAllocStringLen(nullptr, size);
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide, size);
  return wide;
}

std::string Lower(std::string text) {
  for (char &c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const char *TypeName(VARTYPE type) {
  switch (type & VT_TYPEMASK) {
  case VT_EMPTY: return "EMPTY";
  case VT_NULL: return "NULL";
  case VT_I2: return "I2";
  case VT_I4: return "I4";
  case VT_R4: return "R4";
  case VT_R8: return "R8";
  case VT_CY: return "CY";
  case VT_DATE: return "DATE";
  case VT_BSTR: return "BSTR";
  case VT_DISPATCH: return "DISPATCH";
  case VT_BOOL: return "BOOL";
  default: return "OTHER";
  }
}

// "I4 3", "R8 byref 60", "BSTR "open"": the style of the unit tests' log.
std::string Describe(VARIANT *argument) {
  std::string text = TypeName(argument->vt);
  if (argument->vt & VT_BYREF) text += " byref";
  VARIANT value;
  VariantInit(&value);
  if (FAILED(VariantCopyInd(&value, argument))) return text + " ?";
  char buffer[64];
  switch (value.vt) {
  case VT_BSTR: text += " \"" + FromBstr(value.bstrVal) + "\""; break;
  case VT_R8:
    std::snprintf(buffer, sizeof buffer, " %.10g", value.dblVal);
    text += buffer;
    break;
  case VT_R4:
    std::snprintf(buffer, sizeof buffer, " %.10g", value.fltVal);
    text += buffer;
    break;
  case VT_I4: text += " " + std::to_string(value.lVal); break;
  case VT_I2: text += " " + std::to_string(value.iVal); break;
  case VT_BOOL: text += " " + std::to_string(value.boolVal); break;
  default: break;
  }
  VariantClear(&value);
  return text;
}

HRESULT ReadNumber(VARIANT *argument, double &number) {
  VARIANT value;
  VariantInit(&value);
  HRESULT status = VariantChangeType(&value, argument, 0, VT_R8);
  if (SUCCEEDED(status)) number = value.dblVal;
  VariantClear(&value);
  return status;
}

HRESULT ReadText(VARIANT *argument, std::string &text) {
  VARIANT value;
  VariantInit(&value);
  HRESULT status = VariantChangeType(&value, argument, 0, VT_BSTR);
  if (SUCCEEDED(status)) text = FromBstr(value.bstrVal);
  VariantClear(&value);
  return status;
}

void SetI4(VARIANT *result, int32_t value) {
  if (!result) return;
  result->vt = VT_I4;
  result->lVal = value;
}

void SetR8(VARIANT *result, double value) {
  if (!result) return;
  result->vt = VT_R8;
  result->dblVal = value;
}

void SetText(VARIANT *result, const std::string &text) {
  if (!result) return;
  result->vt = VT_BSTR;
  result->bstrVal = ToBstr(text);
}

LONGLONG Now() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

double TicksToSeconds(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

} // namespace

TTestControl::TTestControl(TControlKind kind, TTestControl *owner) : FKind(kind), FOwner(owner) {
  if (FOwner) FOwner->AddRef();
  FLogFile = Environment("CUESTRIP_COM_LOG");
  FPositionsFile = Environment("CUESTRIP_COM_POSITIONS");
  FFrameRate = std::atof(Environment("CUESTRIP_COM_FPS", "25").c_str());
  FDuration = std::atof(Environment("CUESTRIP_COM_DURATION", "3600").c_str());
  FDisplayMode = std::atoi(Environment("CUESTRIP_COM_DISPLAYMODE", "0").c_str());
  FAutoStart = Environment("CUESTRIP_COM_AUTOSTART", "1") != "0";
  std::string fail = Environment("CUESTRIP_COM_FAIL");
  size_t equals = fail.find('=');
  if (equals != std::string::npos) {
    FFailMember = fail.substr(0, equals);
    FFailDescription = fail.substr(equals + 1);
  }
}

TTestControl::~TTestControl() {
  if (FOwner) FOwner->Release();
}

HRESULT TTestControl::QueryInterface(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TTestControl::AddRef() { return ++FRefCount; }

ULONG TTestControl::Release() {
  ULONG count = --FRefCount;
  if (count == 0) delete this;
  return count;
}

HRESULT TTestControl::GetTypeInfoCount(UINT *count) {
  if (count) *count = 0;
  return S_OK;
}

HRESULT TTestControl::GetTypeInfo(UINT, LCID, ITypeInfo **info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

// Names are matched without regard to case, as automation servers do.
HRESULT TTestControl::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID locale, DISPID *ids) {
  HRESULT status = S_OK;
  for (UINT i = 0; i < count; ++i) {
    std::string name = Lower(Narrow(names[i], static_cast<int>(wcslen(names[i]))));
    if (name.rfind("test", 0) != 0) FLookupLocale = locale;
    ids[i] = DISPID_UNKNOWN;
    for (DISPID m = 0; m < MemberCount; ++m) {
      bool known = (Members[m].Kinds & (1u << FKind)) != 0;
      if (known && Lower(Members[m].Name) == name) ids[i] = m + 1;
    }
    if (ids[i] == DISPID_UNKNOWN) status = DISP_E_UNKNOWNNAME;
  }
  return status;
}

HRESULT TTestControl::Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS *params,
                             VARIANT *result, EXCEPINFO *excepInfo, UINT *) {
  if (id < 1 || id > MemberCount || !params) return DISP_E_MEMBERNOTFOUND;
  std::string name = Members[id - 1].Name;
  bool isTest = name.rfind("Test", 0) == 0;
  bool put = flags == DISPATCH_PROPERTYPUT;
  std::string line = flags == (DISPATCH_METHOD | DISPATCH_PROPERTYGET) ? "get"
                     : put                                             ? "put"
                     : flags == DISPATCH_METHOD                        ? "call"
                                                : "flags " + std::to_string(flags);
  line += FKind == ckWmpSettings ? " settings." : FKind == ckWmpControls ? " controls." : " ";
  line += name;
  VARIANT *argument = params->cArgs > 0 ? &params->rgvarg[0] : nullptr;
  if (argument) line += " " + Describe(argument);
  if (params->cArgs > 1) line += " (+" + std::to_string(params->cArgs - 1) + " args)";
  bool namedPut = params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
                  params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
  if (put && !namedPut) line += " (not named DISPID_PROPERTYPUT)";
  if (locale != 0) line += " (locale " + std::to_string(locale) + ")";
  if (!isTest) Log(line);

  if (put && (!argument || !namedPut)) return DISP_E_PARAMNOTFOUND;
  if (result) VariantInit(result);

  std::string failure;
  int32_t failureCode = E_FAIL;
  if (!isTest && !FNextFailure.empty()) {
    failure.swap(FNextFailure);
    failureCode = FNextFailureCode;
  } else if (!isTest && name == FFailMember) {
    failure = FFailDescription;
  }
  HRESULT status = failure.empty() ? Answer(name, flags, argument, result, failure) : S_OK;
  if (failure.empty()) return status;
  if (result) VariantClear(result);
  if (excepInfo) {
    std::memset(excepInfo, 0, sizeof *excepInfo);
    excepInfo->scode = failureCode;
    excepInfo->bstrSource = SysAllocString(L"CuestripTestControl");
    excepInfo->bstrDescription = ToBstr(failure);
    excepInfo->bstrHelpFile = SysAllocString(L"cuestrip.hlp");
    excepInfo->dwHelpContext = 7;
  }
  return DISP_E_EXCEPTION;
}

HRESULT TTestControl::Answer(const std::string &name, WORD flags, VARIANT *argument,
                             VARIANT *result, std::string &failure) {
  bool put = flags == DISPATCH_PROPERTYPUT;
  if (!put && argument) return DISP_E_BADPARAMCOUNT;
  if (name.rfind("Test", 0) == 0) return AnswerTest(name, put, argument, result);
  if (FKind == ckMci) return AnswerMci(name, put, argument, result, failure);
  if (FKind == ckAMovie) return AnswerAMovie(name, put, argument, result, failure);
  // The objects of the Windows Media Player control answer from its state.
  return (FOwner ? FOwner : this)->AnswerWmp(FKind, name, put, argument, result, failure);
}

HRESULT TTestControl::AnswerMci(const std::string &name, bool put, VARIANT *argument,
                                VARIANT *result, std::string &failure) {
  double number = 0;
  std::string text;
  if (name == "TimeFormat") {
    if (!put) return SetI4(result, FTimeFormat), S_OK;
    if (FAILED(ReadNumber(argument, number))) return DISP_E_TYPEMISMATCH;
    FTimeFormat = static_cast<int32_t>(number);
    return S_OK;
  }
  if (name == "Position") {
    // Frames in time format 3, milliseconds otherwise.
    double scale = FTimeFormat == 3 ? FFrameRate : 1000.0;
    if (!put) return SetI4(result, static_cast<int32_t>(AnsweredSeconds() * scale)), S_OK;
    if (FAILED(ReadNumber(argument, number))) return DISP_E_TYPEMISMATCH;
    SetSeconds(scale > 0 ? number / scale : 0);
    if (argument->vt == (VT_R8 | VT_BYREF)) *argument->pdblVal = Seconds() * scale;
    return S_OK;
  }
  if (name == "FileName") {
    if (!put) return SetText(result, FFileName), S_OK;
    if (FAILED(ReadText(argument, FFileName))) return DISP_E_TYPEMISMATCH;
    return S_OK;
  }
  if (name == "mode") {
    Seconds(); // the end of the media stops the clock
    SetI4(result, !FOpen ? 524 : FPlaying ? 526 : FPaused ? 529 : 525);
    return S_OK;
  }
  if (name == "DeviceType") {
    if (!put) return SetText(result, FDeviceType), S_OK;
    if (FAILED(ReadText(argument, text))) return DISP_E_TYPEMISMATCH;
    // The control keeps device types in capitals and says so through the
    // reference it was given.
    for (char &c : text)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    FDeviceType = text;
    if (argument->vt == (VT_BSTR | VT_BYREF)) {
      SysFreeString(*argument->pbstrVal);
      *argument->pbstrVal = ToBstr(text);
    }
    return S_OK;
  }
  if (name == "Command") {
    if (!put || FAILED(ReadText(argument, text))) return DISP_E_TYPEMISMATCH;
    text = Lower(text);
    if (text == "open") {
      if (FFileName.empty()) failure = "No file name has been set.";
      FOpen = failure.empty();
    } else if (!FOpen) {
      failure = "The device is not open.";
    } else if (text == "play") {
      SetPlaying(true);
      FPaused = false;
    } else if (text == "pause") {
      FPaused = FPlaying || FPaused;
      SetPlaying(false);
    } else if (text == "stop") {
      SetPlaying(false);
      FPaused = false;
    } else {
      failure = "Unknown command \"" + text + "\".";
    }
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TTestControl::AnswerAMovie(const std::string &name, bool put, VARIANT *argument,
                                   VARIANT *result, std::string &failure) {
  double number = 0;
  if (name == "CurrentPosition") {
    // Seconds in display mode 0, frames otherwise.
    double scale = FDisplayMode == 0 ? 1.0 : FFrameRate;
    if (!put) return SetR8(result, AnsweredSeconds() * scale), S_OK;
    if (FAILED(ReadNumber(argument, number))) return DISP_E_TYPEMISMATCH;
    SetSeconds(scale > 0 ? number / scale : 0);
    if (argument->vt == (VT_R8 | VT_BYREF)) *argument->pdblVal = Seconds() * scale;
    return S_OK;
  }
  if (name == "DisplayMode") {
    if (!put) return SetI4(result, FDisplayMode), S_OK;
    if (FAILED(ReadNumber(argument, number))) return DISP_E_TYPEMISMATCH;
    FDisplayMode = static_cast<int32_t>(number);
    return S_OK;
  }
  if (name == "FileName") {
    if (!put) return SetText(result, FFileName), S_OK;
    if (FAILED(ReadText(argument, FFileName))) return DISP_E_TYPEMISMATCH;
    FOpen = !FFileName.empty();
    FPaused = false;
    SetPlaying(false);
    SetSeconds(0);
    SetPlaying(FOpen && FAutoStart);
    return S_OK;
  }
  if (name == "currentstate") {
    Seconds(); // the end of the media stops the clock
    SetI4(result, !FOpen ? -1 : FPlaying ? 2 : FPaused ? 1 : 0);
    return S_OK;
  }
  if (name == "FullScreenMode") {
    if (!put) {
      if (result)
        result->vt = VT_BOOL, result->boolVal = FFullScreen ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    if (FAILED(ReadNumber(argument, number))) return DISP_E_TYPEMISMATCH;
    FFullScreen = number != 0;
    return S_OK;
  }
  if (name == "Run" || name == "Pause" || name == "Stop") {
    if (put) return DISP_E_MEMBERNOTFOUND;
    if (!FOpen) {
      failure = "No media is loaded.";
      return S_OK;
    }
    FPaused = name == "Pause";
    SetPlaying(name == "Run");
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TTestControl::AnswerWmp(TControlKind kind, const std::string &name, bool put,
                                VARIANT *argument, VARIANT *result, std::string &failure) {
  double number = 0;
  if (name == "settings" || name == "controls") {
    if (put) return DISP_E_MEMBERNOTFOUND;
    if (result) {
      result->vt = VT_DISPATCH;
      result->pdispVal = new TTestControl(name == "settings" ? ckWmpSettings : ckWmpControls, this);
    }
    return S_OK;
  }
  if (name == "URL") {
    if (!put) return SetText(result, FFileName), S_OK;
    if (FAILED(ReadText(argument, FFileName))) return DISP_E_TYPEMISMATCH;
    FOpen = !FFileName.empty();
    FPaused = FStopped = false;
    SetPlaying(false);
    SetSeconds(0);
    SetPlaying(FOpen && FAutoStart);
    return S_OK;
  }
  if (name == "uiMode") {
    if (!put) return SetText(result, FUiMode), S_OK;
    return FAILED(ReadText(argument, FUiMode)) ? DISP_E_TYPEMISMATCH : S_OK;
  }
  if (name == "playState") {
    // Undefined, playing, paused, media ended, stopped, else ready.
    double seconds = Seconds();
    SetI4(result, !FOpen                 ? 0
                  : FPlaying             ? 3
                  : FPaused              ? 2
                  : seconds >= FDuration ? 8
                  : FStopped             ? 1
                                         : 10);
    return S_OK;
  }
  if (name == "autoStart" && kind == ckWmpSettings) {
    if (!put) {
      if (result) result->vt = VT_BOOL, result->boolVal = FAutoStart ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    if (FAILED(ReadNumber(argument, number))) return DISP_E_TYPEMISMATCH;
    FAutoStart = number != 0;
    return S_OK;
  }
  if (name == "currentPosition") {
    if (!put) return SetR8(result, Seconds()), S_OK;
    if (FAILED(ReadNumber(argument, number))) return DISP_E_TYPEMISMATCH;
    SetSeconds(number);
    return S_OK;
  }
  if (name == "play" || name == "pause" || name == "stop") {
    if (put) return DISP_E_MEMBERNOTFOUND;
    if (!FOpen) {
      failure = "No media is loaded.";
      return S_OK;
    }
    FPaused = name == "pause" && (FPlaying || FPaused);
    FStopped = name == "stop";
    SetPlaying(name == "play");
    if (FStopped) SetSeconds(0); // the control's stop rewinds
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TTestControl::AnswerTest(const std::string &name, bool put, VARIANT *argument,
                                 VARIANT *result) {
  double number = 0;
  if (name == "TestFail") return put ? ReadText(argument, FNextFailure) : DISP_E_MEMBERNOTFOUND;
  if (name == "TestFailCode") {
    if (!put || FAILED(ReadNumber(argument, number))) return DISP_E_TYPEMISMATCH;
    FNextFailureCode = static_cast<int32_t>(static_cast<int64_t>(number));
    return S_OK;
  }
  if (name == "TestValueSpec") return put ? ReadText(argument, FValueSpec) : DISP_E_MEMBERNOTFOUND;
  if (name == "TestClearLog") {
    FLog.clear();
    return S_OK;
  }
  if (!result) return S_OK;
  if (name == "TestLookupLocale") {
    SetI4(result, static_cast<int32_t>(FLookupLocale));
    return S_OK;
  }
  if (name == "TestLog") {
    std::string joined;
    for (const std::string &line : FLog)
      joined += line + "\n";
    SetText(result, joined);
    return S_OK;
  }
  // TestValue: "TYPE:text" names the VARIANT type and its value.
  size_t colon = FValueSpec.find(':');
  std::string type = FValueSpec.substr(0, colon);
  std::string value = colon == std::string::npos ? "" : FValueSpec.substr(colon + 1);
  const char *start = value.c_str();
  if (type == "EMPTY") return S_OK;
  if (type == "NULL") return result->vt = VT_NULL, S_OK;
  if (type == "I2")
    return result->vt = VT_I2, result->iVal = static_cast<SHORT>(std::atoi(start)), S_OK;
  if (type == "I4") return result->vt = VT_I4, result->lVal = std::atol(start), S_OK;
  if (type == "UI1")
    return result->vt = VT_UI1, result->bVal = static_cast<BYTE>(std::atoi(start)), S_OK;
  if (type == "I8") return result->vt = VT_I8, result->llVal = std::atoll(start), S_OK;
  if (type == "R4")
    return result->vt = VT_R4, result->fltVal = static_cast<float>(std::atof(start)), S_OK;
  if (type == "R8") return result->vt = VT_R8, result->dblVal = std::atof(start), S_OK;
  if (type == "DATE") return result->vt = VT_DATE, result->date = std::atof(start), S_OK;
  if (type == "CY") return result->vt = VT_CY, result->cyVal.int64 = std::atoll(start), S_OK;
  if (type == "BOOL")
    return result->vt = VT_BOOL, result->boolVal = std::atoi(start) ? VARIANT_TRUE : VARIANT_FALSE,
           S_OK;
  if (type == "ERROR") return result->vt = VT_ERROR, result->scode = std::atol(start), S_OK;
  if (type == "BSTR") return SetText(result, value), S_OK;
  if (type == "DISPATCH") {
    AddRef();
    result->vt = VT_DISPATCH;
    result->pdispVal = this;
    return S_OK;
  }
  if (type == "DECIMAL") {
    BSTR text = ToBstr(value);
    HRESULT status = VarDecFromStr(text, 0x0409, 0, &result->decVal);
    SysFreeString(text);
    if (SUCCEEDED(status)) result->vt = VT_DECIMAL;
    return status;
  }
  return DISP_E_TYPEMISMATCH;
}

double TTestControl::Seconds() {
  if (!FPlaying) return FBaseSeconds;
  double seconds = FBaseSeconds + TicksToSeconds(Now() - FRunningSince);
  // The end of the media stops the clock there.
  if (seconds >= FDuration) {
    FBaseSeconds = FDuration;
    FPlaying = false;
    return FDuration;
  }
  return seconds;
}

void TTestControl::SetSeconds(double seconds) {
  if (seconds < 0) seconds = 0;
  if (seconds > FDuration) seconds = FDuration;
  FBaseSeconds = seconds;
  FRunningSince = Now();
}

void TTestControl::SetPlaying(bool playing) {
  FBaseSeconds = Seconds();
  FRunningSince = Now();
  FPlaying = playing;
}

double TTestControl::AnsweredSeconds() {
  double seconds = Seconds();
  if (FPositionsFile.empty()) return seconds;
  if (FILE *file = std::fopen(FPositionsFile.c_str(), "ab")) {
    std::fprintf(file, "%.6f\r\n", seconds);
    std::fclose(file);
  }
  return seconds;
}

void TTestControl::Log(const std::string &line) {
  if (FOwner) return FOwner->Log(line); // one log for the control and its objects
  FLog.push_back(line);
  if (FLogFile.empty()) return;
  if (FILE *file = std::fopen(FLogFile.c_str(), "ab")) {
    std::fprintf(file, "%s\r\n", line.c_str());
    std::fclose(file);
  }
}
