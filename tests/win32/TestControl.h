// A test control for the COM path: one IDispatch class that speaks the MCI
// multimedia control's, the ActiveMovie control's or the Windows Media Player
// control's vocabulary (with its `settings` and `controls` objects) over a
// clock that runs in real time while playing, and logs what reaches it.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <vector>

enum TControlKind { ckMci, ckAMovie, ckWmp, ckWmpSettings, ckWmpControls };

// Settings read from the environment when an object is created:
//   CUESTRIP_COM_LOG          file that every call is appended to
//   CUESTRIP_COM_FPS          frames per second of the "video" (25)
//   CUESTRIP_COM_DURATION     its length in seconds (3600)
//   CUESTRIP_COM_DISPLAYMODE  the ActiveMovie "DisplayMode" at start (0)
//   CUESTRIP_COM_AUTOSTART    0 keeps the ActiveMovie control from playing
//                             once "FileName" is set, and the Windows Media
//                             Player control once "URL" is (1)
//   CUESTRIP_COM_FAIL         "Member=Description": every call of that
//                             member raises DISP_E_EXCEPTION
//   CUESTRIP_COM_POSITIONS    file that the clock's seconds are appended to,
//                             one line for every position read
class TTestControl final : public IDispatch {
public:
  // A `settings` or `controls` object is a view of its `owner`'s state.
  explicit TTestControl(TControlKind kind, TTestControl *owner = nullptr);
  ~TTestControl();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo **info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID locale,
                                          DISPID *ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS *params, VARIANT *result, EXCEPINFO *excepInfo,
                                   UINT *argError) override;

private:
  // The answer of one member; fills `failure` to raise DISP_E_EXCEPTION.
  HRESULT Answer(const std::string &name, WORD flags, VARIANT *argument, VARIANT *result,
                 std::string &failure);
  HRESULT AnswerMci(const std::string &name, bool put, VARIANT *argument, VARIANT *result,
                    std::string &failure);
  HRESULT AnswerAMovie(const std::string &name, bool put, VARIANT *argument, VARIANT *result,
                       std::string &failure);
  HRESULT AnswerWmp(TControlKind kind, const std::string &name, bool put, VARIANT *argument,
                    VARIANT *result, std::string &failure);
  HRESULT AnswerTest(const std::string &name, bool put, VARIANT *argument, VARIANT *result);

  double Seconds();
  // The clock as a position read answers it, noted in the positions file.
  double AnsweredSeconds();
  void SetSeconds(double seconds);
  void SetPlaying(bool playing);
  void Log(const std::string &line);

  ULONG FRefCount = 1;
  TControlKind FKind;
  TTestControl *FOwner = nullptr;
  double FFrameRate = 25;
  double FDuration = 3600;
  std::string FLogFile;
  std::string FPositionsFile;
  std::string FFailMember;
  std::string FFailDescription;

  // The clock: position at the last change, and since when it runs.
  double FBaseSeconds = 0;
  LONGLONG FRunningSince = 0;
  bool FPlaying = false;
  bool FOpen = false;
  bool FPaused = false;

  std::string FFileName;
  std::string FDeviceType;
  int32_t FTimeFormat = 0;
  int32_t FDisplayMode = 0;
  bool FAutoStart = true;
  bool FFullScreen = false;
  std::string FUiMode;
  bool FStopped = false; // by a stop call, until played again

  // Test members: the next call's failure, a value of a chosen type, the log.
  std::string FNextFailure;
  int32_t FNextFailureCode = E_FAIL;
  std::string FValueSpec;
  std::vector<std::string> FLog;
  LCID FLookupLocale = 0; // of the last lookup of a control member
};
