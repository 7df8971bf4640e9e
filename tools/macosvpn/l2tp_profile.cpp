#include "l2tp_profile.h"

#include <algorithm>
#include <vector>

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

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c);
}

// The text split at each dot; an empty text gives one empty part.
std::vector<std::string_view> dotted(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto dot = text.find('.', start);
        parts.push_back(text.substr(start, dot - start));
        if (dot == std::string_view::npos) {
            return parts;
        }
        start = dot + 1;
    }
}

// Four decimal numbers up to 255, without leading zeros (which some readers
// take as octal).
bool isIpv4Literal(std::string_view text) {
    const auto parts = dotted(text);
    if (parts.size() != 4) {
        return false;
    }
    for (const auto part : parts) {
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0') ||
            !std::all_of(part.begin(), part.end(), isDigit) || std::stoi(std::string(part)) > 255) {
            return false;
        }
    }
    return true;
}

bool isHostLabel(std::string_view label) {
    return !label.empty() && label.size() <= 63 && label.front() != '-' && label.back() != '-' &&
           std::all_of(label.begin(), label.end(),
                       [](char c) { return isLetterOrDigit(c) || c == '-'; });
}

// Labels of letters, digits and inner hyphens between dots, one trailing dot
// allowed. Only digits and dots is an address or nothing: "10.1.1" is no host.
bool isHostName(std::string_view text) {
    if (text.ends_with('.')) {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 253 ||
        text.find_first_not_of("0123456789.") == std::string_view::npos) {
        return false;
    }
    const auto labels = dotted(text);
    return std::all_of(labels.begin(), labels.end(), isHostLabel);
}

// Characters that would change the meaning of a keyfile's permissions list.
bool isPlainUserName(std::string_view name) {
    return !name.empty() && name.find_first_of(";,:\\ ") == std::string_view::npos &&
           !hasControlCharacter(name);
}

void line(std::string& text, std::string_view key, std::string_view value) {
    text += key;
    text += '=';
    text += escapeKeyfileValue(value);
    text += '\n';
}

}  // namespace

// The L2TP plugin takes letters, digits, '.' and '-' alone: no IPv6 literal.
bool isValidGateway(std::string_view gateway) {
    return isIpv4Literal(gateway) || isHostName(gateway);
}

std::optional<std::string> profileProblem(const L2tpProfile& profile) {
    if (profile.name.empty()) {
        return "the connection name is empty";
    }
    if (auto problem = textProblem("the connection name", profile.name)) {
        return problem;
    }
    if (!isValidGateway(profile.gateway)) {
        // Quoted only when it cannot garble the terminal it is shown on.
        const bool showable = !textProblem("the endpoint", profile.gateway);
        return "invalid endpoint" + (showable ? " '" + profile.gateway + "'" : "") +
               ": give a host name (letters, digits and hyphens between dots) or an IPv4 "
               "address";
    }
    if (!isPlainUserName(profile.owner)) {
        return "the user name '" + profile.owner +
               "' cannot be written into a profile's permissions";
    }
    if (auto problem = textProblem("the user name", profile.user)) {
        return problem;
    }
    // The L2TP plugin hands it to pppd as `user "NAME"`.
    if (profile.user.find_first_of("\"\\") != std::string::npos) {
        return "the user name cannot hold a double quote (\") or a backslash (\\)";
    }
    if (auto problem = textProblem("the password", profile.password)) {
        return problem;
    }
    // Without IPsec the account would travel unencrypted.
    if (profile.sharedSecret.empty()) {
        return "a shared secret is required (--shared-secret-file FILE)";
    }
    return textProblem("the shared secret", profile.sharedSecret);
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
    // Seen and started by its owner alone (and root).
    line(text, "permissions", "user:" + profile.owner + ";");

    // Flags 0: the secrets below belong to the profile, so nobody is asked.
    text += "\n[vpn]\n";
    line(text, "service-type", "org.freedesktop.NetworkManager.l2tp");
    line(text, "gateway", profile.gateway);
    line(text, "user", profile.user);
    line(text, "password-flags", "0");
    // The key is built into every client, so anyone may play the gateway:
    // PAP would hand them the password in clear.
    line(text, "refuse-pap", "yes");
    line(text, "ipsec-enabled", "yes");
    line(text, "machine-auth-type", "psk");
    line(text, "ipsec-psk-flags", "0");

    text += "\n[vpn-secrets]\n";
    line(text, "password", profile.password);
    line(text, "ipsec-psk", storedPresharedKey(profile.sharedSecret));

    text += "\n[ipv4]\n";
    line(text, "method", "auto");
    text += "\n[ipv6]\n";
    line(text, "method", "auto");
    return text;
}

}  // namespace twl::tools
