// Benchmark, not a test: generates a 9,999-entry script (about 600 KB) in the
// fake file system, loads and drains it, then loads a SubRip file of 9,999
// cues, and prints the best of several runs; last, lays out one subtitle of
// 10 MB without a space.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "driver/TestDriver.h"
#include "fake/FakeCodePages.h"
#include "fake/FakeFiles.h"
#include "script/UntCaptel.h"

namespace {

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string GenerateScript(int entries) {
  std::string bytes =
      "{HEAD\r\nTITLE=Benchmark\r\nFPS=25\r\nCODEPAGE=1250\r\nFILE=bench.avi\r\n}\r\n";
  for (int i = 1; i <= entries; ++i) {
    bytes += "{T;" + std::to_string(i * 25) + "\r\n";
    bytes +=
        i % 3 ? "Speaker:\tA line of subtitle text, number " : "A narrator's line of text, entry ";
    bytes += std::to_string(i) + ".\r\n}\r\n";
  }
  return bytes;
}

// The thread's CPU time: on a loaded machine a load longer than a time slice
// is preempted, and its wall time says more about the machine than the code.
double ThreadCpuMilliseconds() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::nanoseconds(static_cast<int64_t>(std::clock()) *
                                      (1000000000 / CLOCKS_PER_SEC)))
      .count();
}

// A SubRip file of `cues` one-line cues in UTF-8 (about 600 KB for 9,999),
// some with a speaker's tags and accented letters.
std::string GenerateSubRip(int cues) {
  std::string bytes;
  for (int i = 1; i <= cues; ++i) {
    const int ms = i * 1000;
    char timing[64];
    std::snprintf(timing, sizeof timing, "%02d:%02d:%02d,%03d --> %02d:%02d:%02d,%03d\r\n",
                  ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000, (ms + 900) / 3600000,
                  (ms + 900) / 60000 % 60, (ms + 900) / 1000 % 60, (ms + 900) % 1000);
    bytes += std::to_string(i) + "\r\n" + timing;
    bytes += i % 3 ? "A line of cue " : "<i>Příliš</i> kůň ";
    bytes += std::to_string(i) + ".\r\n\r\n";
  }
  return bytes;
}

} // namespace

int main() {
  TFakeFiles files;
  TFakeCodePages codePages;
  files.Add("bench.scr", GenerateScript(TCaptel::MaxEntries));
  std::printf("script: %zu bytes, %d entries\n", files.Files["bench.scr"].size(),
              TCaptel::MaxEntries);

  double bestLoad = 1e9, bestDrain = 1e9, bestConvertedDrain = 1e9;
  size_t handedOut = 0;
  for (int run = 0; run < 20; ++run) {
    auto script = std::make_unique<TCaptel>(nullptr, codePages, files);
    auto start = TClock::now();
    script->LoadFromFile("bench.scr");
    auto loaded = TClock::now();

    TText entry;
    handedOut = 0;
    // Playback: one tick per frame step of 25, as a player at 25 fps would
    // move a cursor polled every second.
    for (uint32_t frame = 25; frame <= 25u * TCaptel::MaxEntries; frame += 25) {
      script->AdvanceTo(frame, 0);
      while (script->NextDue(entry))
        ++handedOut;
    }
    auto drained = TClock::now();

    script->ConsoleCodePageKind = cpkOEM;
    script->SeekTo(0);
    script->AdvanceTo(script->LastFrame, 0);
    while (script->NextDue(entry)) {
    }
    auto converted = TClock::now();

    bestLoad = std::min(bestLoad, Milliseconds(start, loaded));
    bestDrain = std::min(bestDrain, Milliseconds(loaded, drained));
    bestConvertedDrain = std::min(bestConvertedDrain, Milliseconds(drained, converted));
  }
  std::printf("load:  %.3f ms (best of 20)\n", bestLoad);
  std::printf("drain: %.3f ms for %zu entries, tick by tick (best of 20)\n", bestDrain, handedOut);
  std::printf("drain with ANSI to OEM conversion, one pass: %.3f ms (best of 20)\n",
              bestConvertedDrain);

  files.Add("bench.srt", GenerateSubRip(TCaptel::MaxEntries));
  double srtLoad = 1e9, srtCpu = 1e9;
  for (int run = 0; run < 20; ++run) {
    auto script = std::make_unique<TCaptel>(nullptr, codePages, files);
    const double cpuStart = ThreadCpuMilliseconds();
    auto start = TClock::now();
    script->LoadFromFile("bench.srt");
    srtLoad = std::min(srtLoad, Milliseconds(start, TClock::now()));
    srtCpu = std::min(srtCpu, ThreadCpuMilliseconds() - cpuStart);
  }
  std::printf("SubRip: %zu bytes, %d cues, UTF-8\n", files.Files["bench.srt"].size(),
              TCaptel::MaxEntries);
  std::printf("SubRip load: %.3f ms, %.3f ms of CPU time (best of 20)\n", srtLoad, srtCpu);

  // One word of 10 MB: cut into some 130,000 lines of the default width.
  TTestDriver layout;
  TText word;
  word.Text.assign(10u << 20, 'w');
  double wordLayout = 1e9;
  for (int run = 0; run < 3; ++run) {
    layout.Output.Lines.clear();
    const double cpuStart = ThreadCpuMilliseconds();
    layout.Driver.WriteSubtitle(word);
    wordLayout = std::min(wordLayout, ThreadCpuMilliseconds() - cpuStart);
  }
  std::printf("layout of a 10 MB line without spaces: %.3f ms of CPU time, %zu lines (best of 3)\n",
              wordLayout, layout.Output.Lines.size());
  return 0;
}
