#include "l2tp_profile.h"

#include "platform/utf8_text.h"

namespace twl::tools {
namespace {

bool hasControlCharacter(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> textProblem(std::string_view what, std::string_view value) {
    if (!isValidUtf8(value)) {
        return std::string(what) + " is not valid UTF-8 text";
    }
    if (hasControlCharacter(value)) {
        return std::string(what) + " contains a control character";
    }
    return std::nullopt;
}

// The L2TP plugin accepts a host name or an IPv4 address: letters, digits,
// dots and hyphens only.
bool isAcceptableGateway(std::string_view gateway) {
    if (gateway.empty()) {
        return false;
    }
    for (const char c : gateway) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && c != '.' && c != '-') {
            return false;
        }
    }
    return true;
}

void line(std::string& text, std::string_view key, std::string_view value) {
    text += key;
    text += '=';
    text += escapeKeyfileValue(value);
    text += '\n';
}

}  // namespace

std::optional<std::string> profileProblem(const L2tpProfile& profile) {
    if (profile.name.empty()) {
        return "the connection name is empty";
    }
    if (auto problem = textProblem("the connection name", profile.name)) {
        return problem;
    }
    if (!isAcceptableGateway(profile.gateway)) {
        return "invalid endpoint '" + profile.gateway +
               "': give a host name or an IPv4 address (letters, digits, '.' and '-')";
    }
    if (auto problem = textProblem("the user name", profile.user)) {
        return problem;
    }
    if (auto problem = textProblem("the password", profile.password)) {
        return problem;
    }
    if (profile.sharedSecret) {
        if (auto problem = textProblem("the shared secret", *profile.sharedSecret)) {
            return problem;
        }
    }
    return std::nullopt;
}

std::string escapeKeyfileValue(std::string_view value) {
    const auto first = value.find_first_not_of(' ');
    const auto last = value.find_last_not_of(' ');
    std::string escaped;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case ' ':
                escaped += (first == std::string_view::npos || i < first || i > last) ? "\\s" : " ";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string base64(std::string_view bytes) {
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned chunk = (static_cast<unsigned char>(bytes[i]) << 16) |
                               (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                               static_cast<unsigned char>(bytes[i + 2]);
        encoded += alphabet[(chunk >> 18) & 63];
        encoded += alphabet[(chunk >> 12) & 63];
        encoded += alphabet[(chunk >> 6) & 63];
        encoded += alphabet[chunk & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned chunk = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) {
            chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        encoded += alphabet[(chunk >> 18) & 63];
        encoded += alphabet[(chunk >> 12) & 63];
        encoded += rest == 2 ? alphabet[(chunk >> 6) & 63] : '=';
        encoded += '=';
    }
    return encoded;
}

std::string storedPresharedKey(std::string_view key) {
    if (key.starts_with("0s")) {
        return "0s" + base64(key);
    }
    return std::string(key);
}

std::string keyfileText(const L2tpProfile& profile) {
    std::string text;
    text += "[connection]\n";
    line(text, "id", profile.name);
    line(text, "uuid", profile.uuid);
    line(text, "type", "vpn");
    line(text, "autoconnect", "false");

    // Flags 0: the secrets below belong to the profile, so nobody is asked.
    text += "\n[vpn]\n";
    line(text, "service-type", "org.freedesktop.NetworkManager.l2tp");
    line(text, "gateway", profile.gateway);
    line(text, "user", profile.user);
    line(text, "password-flags", "0");
    line(text, "ipsec-enabled", profile.sharedSecret ? "yes" : "no");
    if (profile.sharedSecret) {
        line(text, "machine-auth-type", "psk");
        line(text, "ipsec-psk-flags", "0");
    }

    text += "\n[vpn-secrets]\n";
    line(text, "password", profile.password);
    if (profile.sharedSecret) {
        line(text, "ipsec-psk", storedPresharedKey(*profile.sharedSecret));
    }

    text += "\n[ipv4]\n";
    line(text, "method", "auto");
    text += "\n[ipv6]\n";
    line(text, "method", "auto");
    return text;
}

}  // namespace twl::tools
