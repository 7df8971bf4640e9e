#pragma once

#include <optional>
#include <string>
#include <vector>

namespace twl::tools {

// What NetworkManager holds of one profile, as far as deciding whose it is.
struct StoredProfile {
    std::string id;
    std::vector<std::string> permissions;  // e.g. "user:alice"; empty: everyone's
};

struct ProfileLookup {
    std::optional<StoredProfile> profile;  // none: there is no such profile (any more)
    std::string error;                     // why nmcli could not tell
};

// The profile with this uuid, read afresh from NetworkManager.
ProfileLookup lookUpProfile(const std::string& uuid);

// 8-4-4-4-12 hexadecimal digits.
bool isUuid(const std::string& text);

// A value as `nmcli -t`/`-g` prints it: ':' and '\' come escaped by a
// backslash, and a final line break ends it.
std::string unescapeTerse(std::string field);

// The uuids of the rows of `nmcli -t -f UUID,NAME connection show` that read
// "uuid:name". Names may hold line breaks, so a row may be a piece of one:
// callers confirm each uuid with lookUpProfile.
std::vector<std::string> uuidsNamed(const std::string& terseListing, const std::string& name);

}  // namespace twl::tools
