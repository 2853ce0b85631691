// Real COM behind the automation layer: an IDispatch as an automation object
// (GetIDsOfNames and Invoke with real VARIANTs and BSTRs) and the conversions
// between our variants and real ones.
#include "platform/win32/ComDispatch.h"

#include <vector>

namespace {

class TComDispatch : public IDispatchObject {
public:
  explicit TComDispatch(IDispatch *dispatch) : FDispatch(dispatch) { FDispatch->AddRef(); }
  ~TComDispatch() override { FDispatch->Release(); }
  TComDispatch(const TComDispatch &) = delete;
  TComDispatch &operator=(const TComDispatch &) = delete;

  int32_t GetIDOfName(const std::string &name, int32_t &dispId) override {
    std::wstring wide = AnsiToWide(name);
    LPOLESTR names[1] = {wide.data()};
    DISPID id = 0;
    HRESULT status = FDispatch->GetIDsOfNames(IID_NULL, names, 1, GetThreadLocale(), &id);
    dispId = id;
    return status;
  }

  int32_t Invoke(int32_t dispId, uint16_t flags, std::vector<TVariant> &args, TVariant *result,
                 TExcepInfo &excepInfo) override {
    // Every temporary below is released on every path, failed calls included.
    VARIANT argument;
    VariantInit(&argument);
    BSTR byRefString = nullptr;
    std::string *stringTarget = nullptr;
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    if (!args.empty()) {
      TVariant &value = args.front();
      if (value.VType == (varOleStr | varByRef) && value.StringRef) {
        stringTarget = value.StringRef;
        byRefString = AnsiToBstr(*stringTarget);
        argument.vt = VT_BSTR | VT_BYREF;
        argument.pbstrVal = &byRefString;
      } else if (value.VType == (varDouble | varByRef) && value.DoubleRef) {
        argument.vt = VT_R8 | VT_BYREF;
        argument.pdblVal = value.DoubleRef;
      } else if (!ToOleVariant(value, argument)) {
        return DISP_E_TYPEMISMATCH;
      }
      params.rgvarg = &argument;
      params.cArgs = 1;
      if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &namedPut;
        params.cNamedArgs = 1;
      }
    }

    VARIANT answer;
    VariantInit(&answer);
    EXCEPINFO info = {};
    UINT argError = 0;
    HRESULT status = FDispatch->Invoke(dispId, IID_NULL, 0, flags, &params,
                                       result ? &answer : nullptr, &info, &argError);
    if (status == DISP_E_EXCEPTION && info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    if (status == DISP_E_EXCEPTION) {
      excepInfo.SCode = info.scode;
      excepInfo.Source = BstrToAnsi(info.bstrSource);
      excepInfo.Description = BstrToAnsi(info.bstrDescription);
      excepInfo.HelpFile = BstrToAnsi(info.bstrHelpFile);
      excepInfo.HelpContext = static_cast<int32_t>(info.dwHelpContext);
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);

    if (SUCCEEDED(status) && stringTarget) *stringTarget = BstrToAnsi(byRefString);
    SysFreeString(byRefString);
    VariantClear(&argument);
    if (SUCCEEDED(status) && result) *result = FromOleVariant(answer);
    VariantClear(&answer);
    return status;
  }

private:
  IDispatch *FDispatch;
};

} // namespace

std::shared_ptr<IDispatchObject> WrapDispatch(IDispatch *dispatch) {
  return std::make_shared<TComDispatch>(dispatch);
}

std::wstring AnsiToWide(const std::string &text) {
  if (text.empty()) return std::wstring();
  int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

BSTR AnsiToBstr(const std::string &text) {
  std::wstring wide = AnsiToWide(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string BstrToAnsi(BSTR text) {
  if (!text) return std::string();
  int wideLength = static_cast<int>(SysStringLen(text));
  if (wideLength == 0) return std::string();
  int length = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
  std::string ansi(length, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, wideLength, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

bool ToOleVariant(const TVariant &value, VARIANT &variant) {
  VariantInit(&variant);
  switch (value.VType) {
  case varEmpty: return true;
  case varNull: variant.vt = VT_NULL; return true;
  case varSmallint:
    variant.vt = VT_I2;
    variant.iVal = static_cast<SHORT>(value.IntValue);
    return true;
  case varInteger:
    variant.vt = VT_I4;
    variant.lVal = static_cast<LONG>(value.IntValue);
    return true;
  case varSingle:
    variant.vt = VT_R4;
    variant.fltVal = static_cast<float>(value.DoubleValue);
    return true;
  case varDouble:
    variant.vt = VT_R8;
    variant.dblVal = value.DoubleValue;
    return true;
  case varCurrency:
    variant.vt = VT_CY;
    variant.cyVal.int64 = value.IntValue;
    return true;
  case varDate:
    variant.vt = VT_DATE;
    variant.date = value.DoubleValue;
    return true;
  case varOleStr:
    variant.vt = VT_BSTR;
    variant.bstrVal = AnsiToBstr(value.StringValue);
    return true;
  case varError:
    variant.vt = VT_ERROR;
    variant.scode = static_cast<SCODE>(value.IntValue);
    return true;
  case varBoolean:
    variant.vt = VT_BOOL;
    variant.boolVal = value.IntValue ? VARIANT_TRUE : VARIANT_FALSE;
    return true;
  case varShortInt:
    variant.vt = VT_I1;
    variant.cVal = static_cast<CHAR>(value.IntValue);
    return true;
  case varByte:
    variant.vt = VT_UI1;
    variant.bVal = static_cast<BYTE>(value.IntValue);
    return true;
  case varWord:
    variant.vt = VT_UI2;
    variant.uiVal = static_cast<USHORT>(value.IntValue);
    return true;
  case varLongWord:
    variant.vt = VT_UI4;
    variant.ulVal = static_cast<ULONG>(value.IntValue);
    return true;
  case varInt64:
    variant.vt = VT_I8;
    variant.llVal = value.IntValue;
    return true;
  default: return false;
  }
}

TVariant FromOleVariant(const VARIANT &source) {
  VARIANT direct;
  VariantInit(&direct);
  if (FAILED(VariantCopyInd(&direct, const_cast<VARIANT *>(&source)))) {
    TVariant unknown;
    unknown.VType = varUnknown;
    return unknown;
  }
  // Decimals and 64-bit unsigned values have no form of ours: they travel as
  // their text, which converts on to numbers.
  if (direct.vt == VT_DECIMAL || direct.vt == VT_UI8)
    VariantChangeTypeEx(&direct, &direct, 0x0400, 0, VT_BSTR);
  TVariant value;
  switch (direct.vt) {
  case VT_EMPTY: break;
  case VT_NULL: value.VType = varNull; break;
  case VT_I2:
    value.VType = varSmallint;
    value.IntValue = direct.iVal;
    break;
  case VT_I4:
    value.VType = varInteger;
    value.IntValue = direct.lVal;
    break;
  case VT_INT:
    value.VType = varInteger;
    value.IntValue = direct.intVal;
    break;
  case VT_R4:
    value.VType = varSingle;
    value.DoubleValue = direct.fltVal;
    break;
  case VT_R8:
    value.VType = varDouble;
    value.DoubleValue = direct.dblVal;
    break;
  case VT_CY:
    value.VType = varCurrency;
    value.IntValue = direct.cyVal.int64;
    break;
  case VT_DATE:
    value.VType = varDate;
    value.DoubleValue = direct.date;
    break;
  case VT_BSTR:
    value.VType = varOleStr;
    value.StringValue = BstrToAnsi(direct.bstrVal);
    break;
  case VT_ERROR:
    value.VType = varError;
    value.IntValue = direct.scode;
    break;
  case VT_BOOL:
    value.VType = varBoolean;
    value.IntValue = direct.boolVal ? -1 : 0;
    break;
  case VT_I1:
    value.VType = varShortInt;
    value.IntValue = direct.cVal;
    break;
  case VT_UI1:
    value.VType = varByte;
    value.IntValue = direct.bVal;
    break;
  case VT_UI2:
    value.VType = varWord;
    value.IntValue = direct.uiVal;
    break;
  case VT_UI4:
    value.VType = varLongWord;
    value.IntValue = direct.ulVal;
    break;
  case VT_UINT:
    value.VType = varLongWord;
    value.IntValue = direct.uintVal;
    break;
  case VT_I8:
    value.VType = varInt64;
    value.IntValue = direct.llVal;
    break;
  case VT_DISPATCH:
    if (direct.pdispVal)
      value = TVariant::Object(WrapDispatch(direct.pdispVal));
    else
      value.VType = varNull;
    break;
  default: value.VType = varUnknown; break;
  }
  VariantClear(&direct);
  return value;
}
