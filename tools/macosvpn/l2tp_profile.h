#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace twl::tools {

// One NetworkManager L2TP connection as the client wants it: IPsec with a
// pre-shared key, every secret stored with the profile so that it comes up
// without asking anyone, never started on its own, never PAP.
struct L2tpProfile {
    std::string name;
    std::string uuid;
    std::string owner;  // the one user who may see and start it
    std::string gateway;
    std::string user;
    std::string password;
    std::string sharedSecret;
};

// What NetworkManager would refuse in the profile, as a message for the user
// that never quotes a secret; nothing when it is acceptable.
std::optional<std::string> profileProblem(const L2tpProfile& profile);

// A host name (labels of letters, digits and inner hyphens, at most 253
// characters) or an IPv4 address.
bool isValidGateway(std::string_view gateway);

// The profile as a NetworkManager keyfile.
std::string keyfileText(const L2tpProfile& profile);

// A value as a keyfile line holds it: backslashes doubled, blanks at either end
// written as \s (a reader drops them otherwise), line breaks and tabs escaped.
std::string escapeKeyfileValue(std::string_view value);

// The pre-shared key as the L2TP plugin reads it. The plugin takes a key that
// begins with "0s" as already base64-encoded, so such a key is encoded;
// others are kept as they are.
std::string storedPresharedKey(std::string_view key);

std::string base64(std::string_view bytes);

}  // namespace twl::tools
