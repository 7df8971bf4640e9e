#pragma once

#include <string>

namespace twl {

// The endpoints built into the client. The entry takes them from the build;
// tests inject their own (a local provider on a free port, say).
struct Endpoints {
    std::string accountApiBaseUrl;  // scheme and host, no trailing slash
    std::string publicIpBaseUrl;    // scheme and host, no trailing slash
    std::string defaultServer;      // the VPN server used until the user picks another
    std::string extraCaFile;        // empty: trust the system's CAs only

    static Endpoints builtIn();
};

}  // namespace twl
