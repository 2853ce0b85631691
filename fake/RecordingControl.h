// A recording automation object for the tests: it logs every name lookup and
// every get, put and method call with its argument, answers from a property
// store the test fills, and fails where the test tells it to.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Automation.h"

// One call that reached the control.
struct TRecordedCall {
  uint16_t Flags = 0;
  std::string Name;
  size_t ArgCount = 0;
  uint16_t ArgType = varEmpty; // the put value's type, varByRef included
  TVariant Value;              // the put value, by-reference ones read through
  bool WantsResult = false;
  // "get mode", "call Run", "put Position R8 byref 60", "put Command BSTR "play"".
  std::string Text() const;
};

class TRecordingControl : public IDispatchObject {
public:
  // What a get of `name` answers; a put of `name` replaces it.
  void SetProperty(const std::string &name, const TVariant &value);
  // Calls of `name` fail with `status`; with DispE_Exception, `info` is the
  // exception record handed back.
  void FailOn(const std::string &name, int32_t status, const TExcepInfo &info = {});
  // Lookups of `name` fail with `status` (DispE_UnknownName by default).
  void FailLookup(const std::string &name, int32_t status = DispE_UnknownName);
  // A by-reference put of `name` has `value` written into the reference.
  void WriteBack(const std::string &name, const TVariant &value);

  std::vector<std::string> CallTexts() const;
  void ClearLog();

  // A reference the way a created object is handed out; dropping it counts
  // as one release. The control must outlive every reference.
  std::shared_ptr<IDispatchObject> NewReference();

  std::vector<TRecordedCall> Calls;
  std::vector<std::string> Lookups;
  std::map<std::string, TVariant> Properties;
  int Created = 0;
  int Released = 0;

  int32_t GetIDOfName(const std::string &name, int32_t &dispId) override;
  int32_t Invoke(int32_t dispId, uint16_t flags, std::vector<TVariant> &args, TVariant *result,
                 TExcepInfo &excepInfo) override;

private:
  struct TFailure {
    int32_t Status;
    TExcepInfo Info;
  };
  std::vector<std::string> FNames; // dispatch id = index
  std::map<std::string, TFailure> FFailures;
  std::map<std::string, int32_t> FLookupFailures;
  std::map<std::string, TVariant> FWriteBacks;
};

// Registers a control under a ProgID for the life of this object. With a
// null control every creation fails the way a missing class does. Each
// creation attempt appends the ProgID to `creations` when given.
class TRegisteredControl {
public:
  TRegisteredControl(const std::string &progId, TRecordingControl *control,
                     std::vector<std::string> *creations = nullptr);
  ~TRegisteredControl();
  TRegisteredControl(const TRegisteredControl &) = delete;
  TRegisteredControl &operator=(const TRegisteredControl &) = delete;

private:
  std::string FProgId;
};

// A variant's type and value as the call texts show them ("I4 3").
std::string DescribeVariant(const TVariant &value);
