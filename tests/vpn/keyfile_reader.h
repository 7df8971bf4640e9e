#pragma once

#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace twl::testing {

// Reads a keyfile the way NetworkManager does: "[group]" lines, "key=value"
// lines with blanks around the value dropped and \s \n \t \r \\ undone.
// Nothing when an escape is not one of those.
using Keyfile = std::map<std::string, std::map<std::string, std::string>>;

inline std::optional<std::string> unescapeKeyfileValue(const std::string& raw) {
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            value += raw[i];
            continue;
        }
        if (++i == raw.size()) {
            return std::nullopt;
        }
        switch (raw[i]) {
            case 's':
                value += ' ';
                break;
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case '\\':
                value += '\\';
                break;
            default:
                return std::nullopt;
        }
    }
    return value;
}

inline std::optional<Keyfile> readKeyfile(const std::string& text) {
    Keyfile file;
    std::string group;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            group = line.substr(1, line.size() - 2);
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos || group.empty()) {
            return std::nullopt;
        }
        std::string raw = line.substr(equals + 1);
        raw.erase(0, raw.find_first_not_of(" \t"));
        raw.erase(raw.find_last_not_of(" \t") + 1);
        auto value = unescapeKeyfileValue(raw);
        if (!value) {
            return std::nullopt;
        }
        file[group][line.substr(0, equals)] = *value;
    }
    return file;
}

}  // namespace twl::testing
