// Replays every input kept under fuzz/regressions/<target> through that
// target's routine, so a fault the fuzzer once found stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/FuzzTargets.h"

namespace fs = std::filesystem;

namespace {

const TFuzzTarget *FindTarget(const std::string &name) {
  for (const TFuzzTarget &target : FuzzTargets)
    if (name == target.Name) return &target;
  return nullptr;
}

bool IsNote(const fs::path &file) {
  const std::string name = file.filename().string();
  return name == ".gitkeep" || name.rfind("README", 0) == 0;
}

} // namespace

TEST(FuzzRegressions, EveryKeptInputRunsClean) {
  const fs::path root = fs::path(CUESTRIP_SOURCE_DIR) / "fuzz" / "regressions";
  ASSERT_TRUE(fs::is_directory(root)) << root;
  for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || IsNote(entry.path())) continue;
    const std::string targetName = entry.path().parent_path().filename().string();
    const TFuzzTarget *target = FindTarget(targetName);
    if (!target) {
      ADD_FAILURE() << entry.path() << ": no fuzz target named " << targetName;
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(target->Run(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size()), "")
        << entry.path();
  }
}
