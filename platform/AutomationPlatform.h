// The platform's half of the automation layer: what COM does on Windows and
// what the POSIX side does in its place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Automation.h"

// Creates an object the in-process registry does not know. Raises
// EOleSysError (CO_E_CLASSSTRING where there is no such class).
std::shared_ptr<IDispatchObject> PlatformCreateAutomationObject(const std::string &progId);

// The change-type step for results that are not converted directly; false
// when the value cannot be converted to `varType` (varDouble, varInteger or
// varOleStr).
bool PlatformChangeType(const TVariant &value, uint16_t varType, TVariant &converted);

// The system's text for an HRESULT, empty when it has none.
std::string PlatformErrorText(int32_t code);

// `message`, or when it is empty the system's text for `code` without
// trailing blanks and periods, or else "OLE error" and the code in hex.
std::string OleErrorMessage(const std::string &message, int32_t code);

// The portable change-type step (used on POSIX; on Windows the tests hold it
// against VariantChangeTypeEx).
bool PortableChangeType(const TVariant &value, uint16_t varType, TVariant &converted);
