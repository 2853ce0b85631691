// The automation side of the stand-in controls: members found by name
// regardless of case, as IDispatch does, and failures turned into the
// control's own errors.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Automation.h"

class TStandInControl : public IDispatchObject {
public:
  int32_t GetIDOfName(const std::string &name, int32_t &dispId) override;
  int32_t Invoke(int32_t dispId, uint16_t flags, std::vector<TVariant> &args, TVariant *result,
                 TExcepInfo &excepInfo) override;

protected:
  explicit TStandInControl(std::string source) : FSource(std::move(source)) {}

  using TGetter = std::function<TVariant()>;
  using TSetter = std::function<void(const TVariant &)>;
  void AddProperty(const std::string &name, TGetter get, TSetter put = nullptr);
  void AddMethod(const std::string &name, std::function<void()> call);

  // Argument conversions; a value of the wrong kind is a type mismatch.
  static double ArgDouble(const TVariant &value);
  static int32_t ArgInteger(const TVariant &value);
  static bool ArgBoolean(const TVariant &value);
  static std::string ArgString(const TVariant &value);

private:
  struct TMember {
    std::string Name;
    TGetter Get;
    TSetter Put;
    std::function<void()> Call;
  };
  std::vector<TMember> FMembers;
  std::string FSource;
};
