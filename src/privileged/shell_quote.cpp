#include "privileged/shell_quote.h"

#include <algorithm>

namespace twl {
namespace {

bool isPlainWordCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

}  // namespace

std::string shellQuote(std::string_view value) {
    if (!value.empty() && std::all_of(value.begin(), value.end(), isPlainWordCharacter)) {
        return std::string(value);
    }
    std::string quoted = "'";
    for (const char c : value) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

}  // namespace twl
