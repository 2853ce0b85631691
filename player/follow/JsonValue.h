// A small JSON reader and writer for the line protocol of a followed player:
// values parsed from one line, and strings quoted for commands.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TJson {
  enum TKind { jNull, jBool, jNumber, jString, jArray, jObject };
  TKind Kind = jNull;
  bool Bool = false;
  double Number = 0;
  std::string String;
  std::vector<TJson> Items;
  // An object's members: names and values side by side (a pair cannot hold
  // the type it is declared in, a vector can).
  std::vector<std::string> MemberNames;
  std::vector<TJson> MemberValues;

  // The member called `name` of an object, null when there is none.
  const TJson *Find(std::string_view name) const;
  bool IsNumber() const { return Kind == jNumber; }
};

// Nesting deeper than this is refused, so a hostile line cannot exhaust the
// stack.
constexpr int JsonMaxDepth = 64;

// The value of `text`, or nothing when it is not one whole JSON value.
std::optional<TJson> ParseJson(std::string_view text);
// `text` as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view text);
