// The table of command keys: for each key the characters the console reads
// for it, what it does, and how --help and the manual page name and describe
// it. HandleKey, the --help key list and the keys the player's window passes
// on all come from it.
#pragma once

#include <span>
#include <string>
#include <vector>

class TDriver;

using TKeyAction = void (*)(TDriver &driver);

struct TKeyRow {
  // The characters that act, as TInputRecord::AsciiChar carries them (both
  // cases of a letter).
  const char *Codes;
  // The key as --help and the manual page name it ("space", "p").
  const char *Name;
  TKeyAction Action;
  // What the keys of its --help line do, one meaning per key split by " / "
  // ("play / pause / stop"); nullptr for a key that joins the line above.
  const char *Help;
};

std::span<const TKeyRow> KeyTable();
// The row of a character, or nullptr for one that does nothing.
const TKeyRow *FindKey(char code);
// Every character of the table, in its order.
const std::string &CommandKeys();

// One --help line: the names of its keys and what they do.
struct TKeyHelpLine {
  std::vector<std::string> Names;
  std::string Help;
};
std::vector<TKeyHelpLine> KeyHelpLines();
// "  p u s   play / pause / stop", the help column padded as --help shows it.
std::string KeyHelpText(const TKeyHelpLine &line);
