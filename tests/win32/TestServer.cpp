// The test COM server: class objects for "MCI.MMControl", "AMovie.ActiveMovie
// Control" and "WMPlayer.OCX" and their (un)registration, for regsvr32.
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <string>

#include "TestControl.h"

namespace {

// {6EB12328-6D73-4AE6-B1DC-18FFF9D202B7}
const CLSID MciClassId = {
    0x6eb12328, 0x6d73, 0x4ae6, {0xb1, 0xdc, 0x18, 0xff, 0xf9, 0xd2, 0x02, 0xb7}};
// {B25A2811-8BE1-4920-ACC8-3CC989D8EA81}
const CLSID AMovieClassId = {
    0xb25a2811, 0x8be1, 0x4920, {0xac, 0xc8, 0x3c, 0xc9, 0x89, 0xd8, 0xea, 0x81}};
// {4A7C2E31-95D2-4F0B-9C4E-2B8D6F1A3E57}
const CLSID WmpClassId = {
    0x4a7c2e31, 0x95d2, 0x4f0b, {0x9c, 0x4e, 0x2b, 0x8d, 0x6f, 0x1a, 0x3e, 0x57}};

struct TClassEntry {
  const CLSID *ClassId;
  const char *ClassIdText;
  const char *ProgId;
  const char *Description;
  const char *DisableWord; // CUESTRIP_COM_DISABLE holding this hides the class
  TControlKind Kind;
};

const TClassEntry Classes[] = {
    {&MciClassId, "{6EB12328-6D73-4AE6-B1DC-18FFF9D202B7}", "MCI.MMControl",
     "cuestrip test MCI control", "MCI", ckMci},
    {&AMovieClassId, "{B25A2811-8BE1-4920-ACC8-3CC989D8EA81}", "AMovie.ActiveMovie Control",
     "cuestrip test ActiveMovie control", "AMovie", ckAMovie},
    {&WmpClassId, "{4A7C2E31-95D2-4F0B-9C4E-2B8D6F1A3E57}", "WMPlayer.OCX",
     "cuestrip test Windows Media Player control", "WMP", ckWmp}};

HMODULE Module = nullptr;

class TClassFactory : public IClassFactory {
public:
  explicit TClassFactory(TControlKind kind) : FKind(kind) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory *>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The factories are static: counting is not needed.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    TTestControl *control = new TTestControl(FKind);
    HRESULT status = control->QueryInterface(iid, object);
    control->Release();
    return status;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
  TControlKind FKind;
};

TClassFactory MciFactory(ckMci);
TClassFactory AMovieFactory(ckAMovie);
TClassFactory WmpFactory(ckWmp);

bool Disabled(const TClassEntry &entry) {
  char buffer[256];
  DWORD length = GetEnvironmentVariableA("CUESTRIP_COM_DISABLE", buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return false;
  return std::string(buffer, length).find(entry.DisableWord) != std::string::npos;
}

LONG SetKeyValue(const std::string &key, const char *valueName, const std::string &value) {
  HKEY handle;
  LONG status = RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &handle, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status =
      RegSetValueExA(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return status;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Module = instance;
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID *object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (const TClassEntry &entry : Classes) {
    if (!IsEqualCLSID(classId, *entry.ClassId)) continue;
    if (Disabled(entry)) return CLASS_E_CLASSNOTAVAILABLE;
    TClassFactory &factory = entry.Kind == ckMci      ? MciFactory
                             : entry.Kind == ckAMovie ? AMovieFactory
                                                      : WmpFactory;
    return factory.QueryInterface(iid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

// The DLL stays loaded for the life of the process: objects are few.
STDAPI DllCanUnloadNow() { return S_FALSE; }

STDAPI DllRegisterServer() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(Module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
  for (const TClassEntry &entry : Classes) {
    std::string classKey = std::string("CLSID\\") + entry.ClassIdText;
    if (SetKeyValue(classKey, nullptr, entry.Description) != ERROR_SUCCESS ||
        SetKeyValue(classKey + "\\InprocServer32", nullptr, path) != ERROR_SUCCESS ||
        SetKeyValue(classKey + "\\InprocServer32", "ThreadingModel", "Apartment") !=
            ERROR_SUCCESS ||
        SetKeyValue(classKey + "\\ProgID", nullptr, entry.ProgId) != ERROR_SUCCESS ||
        SetKeyValue(std::string(entry.ProgId), nullptr, entry.Description) != ERROR_SUCCESS ||
        SetKeyValue(std::string(entry.ProgId) + "\\CLSID", nullptr, entry.ClassIdText) !=
            ERROR_SUCCESS)
      return SELFREG_E_CLASS;
  }
  return S_OK;
}

STDAPI DllUnregisterServer() {
  for (const TClassEntry &entry : Classes) {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + entry.ClassIdText).c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, entry.ProgId);
  }
  return S_OK;
}
