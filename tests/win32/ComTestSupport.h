// Shared by the COM tests: the server's call log file, object creation
// through real COM, and the error a call raises.
#pragma once

#include <string>
#include <vector>

#include "platform/Automation.h"
#include "player/PlayerTestSupport.h"

// Points the server's log at a fresh file and clears the other settings; the
// server reads them whenever it creates an object.
void ResetServerSettings();
void SetServerSetting(const char *name, const char *value);
// The lines the server has logged since the last reset.
std::vector<std::string> ServerLog();

// A control made through CLSIDFromProgID and CoCreateInstance.
TVariant CreateControl(const char *progId);
