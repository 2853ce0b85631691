// The Windows half of the automation layer: COM initialisation, objects made
// by CLSIDFromProgID and CoCreateInstance, VariantChangeTypeEx for the
// change-type step and FormatMessageA for the texts of codes.
#include "platform/AutomationPlatform.h"

#include "base/Errors.h"
#include "platform/win32/ComDispatch.h"

namespace {

[[noreturn]] void RaiseSysError(HRESULT status) {
  Raise(EOleSysError(OleErrorMessage("", status), status));
}

} // namespace

std::shared_ptr<IDispatchObject> PlatformCreateAutomationObject(const std::string &progId) {
  std::wstring wide = AnsiToWide(progId);
  CLSID classId;
  HRESULT status = CLSIDFromProgID(wide.c_str(), &classId);
  if (FAILED(status)) RaiseSysError(status);
  IDispatch *dispatch = nullptr;
  status = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            IID_IDispatch, reinterpret_cast<void **>(&dispatch));
  if (FAILED(status)) RaiseSysError(status);
  if (!dispatch) RaiseSysError(E_POINTER);
  std::shared_ptr<IDispatchObject> object = WrapDispatch(dispatch);
  dispatch->Release(); // the wrapper holds its own reference
  return object;
}

bool PlatformChangeType(const TVariant &value, uint16_t varType, TVariant &converted) {
  VARIANT source;
  if (!ToOleVariant(value, source)) return false;
  VARIANT target;
  VariantInit(&target);
  VARTYPE oleType = varType == varOleStr ? VT_BSTR : varType == varInteger ? VT_I4 : VT_R8;
  HRESULT status = VariantChangeTypeEx(&target, &source, 0x0400, 0, oleType);
  if (SUCCEEDED(status)) converted = FromOleVariant(target);
  VariantClear(&source);
  VariantClear(&target);
  return SUCCEEDED(status);
}

std::string PlatformErrorText(int32_t code) {
  char buffer[256];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(code), 0, buffer, 255, nullptr);
  return std::string(buffer, length);
}

void InitializeAutomation() { CoInitialize(nullptr); }

void UninitializeAutomation() { CoUninitialize(); }
