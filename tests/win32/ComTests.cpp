// The COM tests' entry point (COM initialised around the whole run) and their
// shared helpers.
#include "platform/win32/WindowsApi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "ComTestSupport.h"

namespace {

std::string LogPath() {
  char directory[MAX_PATH];
  GetTempPathA(MAX_PATH, directory);
  return std::string(directory) + "cuestrip_comtests_" + std::to_string(GetCurrentProcessId()) +
         ".log";
}

} // namespace

void SetServerSetting(const char *name, const char *value) { SetEnvironmentVariableA(name, value); }

void ResetServerSettings() {
  for (const char *name : {"CUESTRIP_COM_FPS", "CUESTRIP_COM_DURATION", "CUESTRIP_COM_DISPLAYMODE",
                           "CUESTRIP_COM_AUTOSTART", "CUESTRIP_COM_FAIL", "CUESTRIP_COM_DISABLE"})
    SetEnvironmentVariableA(name, nullptr);
  std::remove(LogPath().c_str());
  SetEnvironmentVariableA("CUESTRIP_COM_LOG", LogPath().c_str());
}

std::vector<std::string> ServerLog() {
  std::vector<std::string> lines;
  std::ifstream file(LogPath(), std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TVariant CreateControl(const char *progId) {
  return TVariant::Object(CreateAutomationObject(progId));
}

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InitializeAutomation();
  int result = RUN_ALL_TESTS();
  std::remove(LogPath().c_str());
  UninitializeAutomation();
  return result;
}
