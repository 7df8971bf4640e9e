#pragma once

#include <string_view>

namespace twl {

// True when the bytes are well-formed UTF-8: shortest forms only, no UTF-16
// surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

}  // namespace twl
