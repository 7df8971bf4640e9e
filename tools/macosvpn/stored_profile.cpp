#include "stored_profile.h"

#include <algorithm>

#include "nmcli.h"

namespace twl::tools {
namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= text.size();) {
        auto end = text.find(separator, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// One field at a time: an id may hold line breaks, so two fields in one
// answer could not be told apart.
CommandResult field(const std::string& uuid, const char* name) {
    return runNmcli({"-g", name, "connection", "show", "uuid", uuid});
}

}  // namespace

bool isUuid(const std::string& text) {
    if (text.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !isHexDigit(text[i])) {
            return false;
        }
    }
    return true;
}

std::string unescapeTerse(std::string field) {
    if (!field.empty() && field.back() == '\n') {
        field.pop_back();
    }
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            ++i;
        }
        text += field[i];
    }
    return text;
}

std::vector<std::string> uuidsNamed(const std::string& terseListing, const std::string& name) {
    std::vector<std::string> uuids;
    for (const std::string& row : split(terseListing, '\n')) {
        const auto colon = row.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        const std::string uuid = row.substr(0, colon);
        if (isUuid(uuid) && unescapeTerse(row.substr(colon + 1)) == name &&
            std::find(uuids.begin(), uuids.end(), uuid) == uuids.end()) {
            uuids.push_back(uuid);
        }
    }
    return uuids;
}

ProfileLookup lookUpProfile(const std::string& uuid) {
    ProfileLookup lookup;
    const CommandResult id = field(uuid, "connection.id");
    const CommandResult permissions = id.exitCode == 0 ? field(uuid, "connection.permissions") : id;
    if (permissions.started && permissions.exitCode == nmcliNoSuchExit) {
        return lookup;
    }
    lookup.error = nmcliFailure(permissions);
    if (!lookup.error.empty()) {
        return lookup;
    }
    StoredProfile profile{unescapeTerse(id.out), {}};
    const std::string list = unescapeTerse(permissions.out);
    if (!list.empty()) {
        profile.permissions = split(list, ',');
    }
    lookup.profile = profile;
    return lookup;
}

}  // namespace twl::tools
