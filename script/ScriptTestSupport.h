// Test support for the script library: a script object over the fake file
// system and code pages, with its log lines collected.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fake/FakeCodePages.h"
#include "fake/FakeFiles.h"
#include "script/UntCaptel.h"

class TScriptFixture {
public:
  explicit TScriptFixture(uint32_t oem = 852, uint32_t ansi = 1250)
      : CodePages(oem, ansi),
        Script(std::make_unique<TCaptel>([this](const std::string &m) { Log.push_back(m); },
                                         CodePages, Files)) {}

  // Joins the lines with CR LF and loads them as the script "test.scr".
  TCaptel &Load(const std::vector<std::string> &lines) {
    std::string bytes;
    for (const std::string &line : lines)
      bytes += line + "\r\n";
    return LoadBytes(bytes);
  }

  TCaptel &LoadBytes(const std::string &bytes) {
    Files.Add("test.scr", bytes);
    Script->LoadFromFile("test.scr");
    return *Script;
  }

  // Every entry handed out by one drain, as "frame:text".
  std::vector<std::string> Drain() {
    std::vector<std::string> out;
    TText entry;
    while (Script->NextDue(entry))
      out.push_back(std::to_string(entry.Frame) + ":" + entry.Text);
    return out;
  }

  TFakeFiles Files;
  TFakeCodePages CodePages;
  std::vector<std::string> Log;
  std::unique_ptr<TCaptel> Script;
};
