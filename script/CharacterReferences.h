// HTML's character references as cue text reads them: the named ones of
// HTML's table and the numeric ones, "&copy;", "&eacute", "&#233;", "&#xE9;".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reads the reference that opens `text`, the bytes after an "&", appends its
// characters as UTF-8 to `out` and returns how many bytes of `text` it took;
// 0, with nothing appended, when `text` opens none (the "&" is then text).
// A name is one of HTML's table spelt exactly as there, the longest that
// matches: the old names that need no ";" match before other letters too
// ("&notit;" is "¬" and "it;"). A number needs its ";", at most 6 digits, and
// a character that is neither a control character nor a surrogate (control
// characters would pass for style markers). The names of a tab and a line
// break read as a space, as blanks in cue text do. The search never looks
// further than the longest name, so a line full of "&" reads in linear time.
size_t ReadCharacterReference(std::string_view text, std::string &out);
