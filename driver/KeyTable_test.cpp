// Tests of the key table: each character acts through one row only, every
// --help line has a meaning for each of its keys, and the manual page's KEYS
// section describes exactly the table's keys with the table's meanings.
#include <gtest/gtest.h>

#include <fstream>

#include "driver/KeyTable.h"

#include "base/Ascii.h"

namespace {

// "play / pause / stop" split at its " / ".
std::vector<std::string> Meanings(const std::string &help) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t at; (at = help.find(" / ", from)) != std::string::npos; from = at + 3)
    parts.push_back(help.substr(from, at - from));
  parts.push_back(help.substr(from));
  return parts;
}

// One .TP entry of the manual page: the keys its tag names and its text.
struct TManualKey {
  std::vector<std::string> Names;
  std::string Text;
};

// The arguments of a roff request line, a quoted one taken whole.
std::vector<std::string> RoffArguments(const std::string &line) {
  std::vector<std::string> args;
  for (size_t at = line.find(' '); at < line.size();) {
    if (line[at] == ' ') {
      ++at;
    } else if (line[at] == '"') {
      const size_t end = line.find('"', at + 1);
      args.push_back(line.substr(at + 1, end - at - 1));
      at = end == std::string::npos ? end : end + 1;
    } else {
      const size_t end = line.find(' ', at);
      args.push_back(line.substr(at, end - at));
      at = end;
    }
  }
  return args;
}

// The entries of the KEYS section of docs/cuestrip.1. A tag is ".B key" or
// ".BR key1 \" / \" key2 ..."; a tag of any other shape gives no names, so
// the comparison below shows it.
std::vector<TManualKey> ManualKeys() {
  std::ifstream in(std::string(CUESTRIP_SOURCE_DIR) + "/docs/cuestrip.1", std::ios::binary);
  std::vector<TManualKey> keys;
  bool inKeys = false, inEntry = false, atTag = false;
  for (std::string line; std::getline(in, line);) {
    if (StartsWith(line, ".SH")) {
      inKeys = line == ".SH KEYS";
      inEntry = false;
    } else if (!inKeys) {
      continue;
    } else if (line == ".TP") {
      keys.emplace_back();
      inEntry = atTag = true;
    } else if (StartsWith(line, ".PP")) {
      inEntry = false;
    } else if (inEntry && atTag) {
      atTag = false;
      const std::vector<std::string> args = RoffArguments(line);
      const bool single = StartsWith(line, ".B ") && args.size() == 1;
      bool listed = StartsWith(line, ".BR ") && args.size() % 2 == 1;
      for (size_t at = 1; listed && at < args.size(); at += 2)
        listed = args[at] == " / ";
      for (size_t at = 0; (single || listed) && at < args.size(); at += 2)
        keys.back().Names.push_back(args[at]);
    } else if (inEntry) {
      keys.back().Text += (keys.back().Text.empty() ? "" : " ") + line;
    }
  }
  return keys;
}

std::string Join(const std::vector<std::string> &names) {
  std::string joined;
  for (const std::string &name : names)
    joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

} // namespace

TEST(KeyTable, EveryCharacterActsThroughOneRowOnly) {
  ASSERT_FALSE(KeyTable().empty());
  std::string seen;
  for (const TKeyRow &row : KeyTable()) {
    SCOPED_TRACE(row.Name);
    EXPECT_TRUE(row.Name && *row.Name);
    EXPECT_NE(row.Action, nullptr);
    ASSERT_TRUE(row.Codes && *row.Codes) << "a row no key reaches";
    for (const char *code = row.Codes; *code; ++code) {
      EXPECT_EQ(seen.find(*code), std::string::npos) << "'" << *code << "' in two rows";
      EXPECT_EQ(FindKey(*code), &row);
      seen += *code;
    }
  }
  EXPECT_EQ(CommandKeys(), seen);
  EXPECT_EQ(FindKey('\0'), nullptr) << "the end of a row's codes is no key";
  EXPECT_NE(KeyTable().front().Help, nullptr) << "the first key has no line to join";
}

TEST(KeyTable, EveryHelpLineHasAMeaningForEachOfItsKeys) {
  size_t names = 0;
  for (const TKeyHelpLine &line : KeyHelpLines()) {
    SCOPED_TRACE(line.Help);
    EXPECT_EQ(Meanings(line.Help).size(), line.Names.size());
    for (const std::string &meaning : Meanings(line.Help))
      EXPECT_NE(meaning, "");
    names += line.Names.size();
  }
  EXPECT_EQ(names, KeyTable().size());
}

// The manual page lists the keys as --help does, one entry a line, with the
// line's text capitalised and ended by a full stop; a key added to the table
// without its entry, or one left in the manual page, fails here.
TEST(KeyTable, TheManualPageDescribesExactlyTheTablesKeys) {
  const std::vector<TManualKey> manual = ManualKeys();
  ASSERT_FALSE(manual.empty()) << "no KEYS section in docs/cuestrip.1";
  const std::vector<TKeyHelpLine> table = KeyHelpLines();
  for (const TKeyHelpLine &line : table) {
    SCOPED_TRACE(Join(line.Names));
    std::string meaning = line.Help + ".";
    meaning[0] = UpperAscii(meaning[0]);
    int entries = 0;
    for (const TManualKey &key : manual) {
      if (key.Names != line.Names) continue;
      ++entries;
      EXPECT_TRUE(StartsWith(key.Text, meaning))
          << "the manual page says \"" << key.Text << "\", the table \"" << meaning << "\"";
    }
    EXPECT_EQ(entries, 1) << "entries in docs/cuestrip.1";
  }
  for (const TManualKey &key : manual) {
    bool inTable = false;
    for (const TKeyHelpLine &line : table)
      inTable = inTable || key.Names == line.Names;
    EXPECT_TRUE(inTable) << "docs/cuestrip.1 lists \"" << Join(key.Names)
                         << "\", which the key table lacks (or a tag it cannot read)";
  }
}
