// The POSIX half of the automation layer: there is no COM, so every control
// comes from the in-process registry, and the change-type step and the
// texts of the codes are our own.
#include "platform/AutomationPlatform.h"

#include "base/Errors.h"

std::shared_ptr<IDispatchObject> PlatformCreateAutomationObject(const std::string &) {
  // What CLSIDFromProgID answers for a ProgID that names no class.
  Raise(EOleSysError(OleErrorMessage("", CoE_ClassString), CoE_ClassString));
}

bool PlatformChangeType(const TVariant &value, uint16_t varType, TVariant &converted) {
  return PortableChangeType(value, varType, converted);
}

// The texts Windows gives for the codes a control is likely to return.
std::string PlatformErrorText(int32_t code) {
  switch (static_cast<uint32_t>(code)) {
  case 0x800401F3: return "Invalid class string";
  case 0x80040154: return "Class not registered";
  case 0x80020006: return "Unknown name";
  case 0x80020003: return "Member not found";
  case 0x80020005: return "Type mismatch";
  case 0x80020009: return "Exception occurred";
  case 0x8002000E: return "Invalid number of parameters";
  case 0x8002000F: return "Parameter not optional";
  case 0x80020004: return "Parameter not found";
  case 0x8002000A: return "Out of present range";
  case 0x80004001: return "Not implemented";
  case 0x80004002: return "No such interface supported";
  case 0x80004005: return "Unspecified error";
  case 0x8007000E: return "Not enough memory resources are available to complete this operation";
  case 0x80070057: return "The parameter is incorrect";
  default: return "";
  }
}

void InitializeAutomation() {}
void UninitializeAutomation() {}
