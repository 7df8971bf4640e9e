#pragma once

#include <string>
#include <string_view>

namespace twl {

// Makes a value safe as one word of a /bin/sh command. A non-empty value made
// only of A-Za-z0-9_@%+=:,./- is left as it is (so ordinary commands read as
// they always have); anything else is single-quoted, with ' written as '\''.
// The empty value becomes '' so that it still takes its place as a word.
std::string shellQuote(std::string_view value);

}  // namespace twl
