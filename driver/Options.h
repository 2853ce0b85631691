// The command line's options: one table read by the parser, by --help and by
// the test that holds the manual page to it.
#pragma once

#include <span>
#include <string>

#include "driver/Driver.h"

enum TOptionKind {
  okSwitch,
  okPlayer,
  okDeviceType,
  okDelay,
  okSubFps,
  okSubCodePage,
  okPlayerLog,
  okIgnored,
  okHelp,
  okVersion
};

struct TOption {
  const char *Short;
  const char *Long; // typed after the option character, so "--debug" or "/-debug"
  TOptionKind Kind;
  bool TSettings::*Field; // okSwitch: the setting it sets
  bool Value;             // okSwitch: the value it sets
  const char *ValueName;  // the next argument is its value; shown as this in --help
  const char *Help;       // the line of --help
};

std::span<const TOption> CommandLineOptions();

// The option whose short or long word this is, or none.
const TOption *FindOption(const std::string &word);
