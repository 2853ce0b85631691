// Real COM behind the automation layer: IDispatch wrapped as an automation
// object, and the conversions between our variants and real VARIANTs/BSTRs.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <memory>
#include <string>

#include "platform/Automation.h"

// Takes its own reference to `dispatch` and releases it when dropped.
std::shared_ptr<IDispatchObject> WrapDispatch(IDispatch *dispatch);

// Strings cross the boundary through the ANSI code page.
BSTR AnsiToBstr(const std::string &text);
std::string BstrToAnsi(BSTR text);
std::wstring AnsiToWide(const std::string &text);

// A VARIANT for a by-value variant (the caller clears it); false for kinds
// that have no VARIANT form here (by-reference values, objects).
bool ToOleVariant(const TVariant &value, VARIANT &variant);
// Our variant for a VARIANT; references are followed, objects wrapped.
TVariant FromOleVariant(const VARIANT &variant);
