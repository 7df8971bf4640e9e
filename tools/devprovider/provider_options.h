#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace twl::devprovider {

struct ProviderOptions {
    int port = 18443;                // 0: any free port, printed once bound
    std::filesystem::path folder;    // CA, certificate and keys
    std::filesystem::path accounts;  // the accounts file
    std::string publicIp = "203.0.113.7";
    std::optional<std::filesystem::path> record;  // one JSON line per request, raw target included

    // Switches for tests; each applies to every request.
    std::optional<std::string> fixedBody;  // this body instead of the real answer
    std::optional<int> fixedStatus;        // this status instead of 200
    bool stall = false;                    // never answer
    std::chrono::milliseconds delay{0};    // answer only after this long
    std::optional<std::size_t> hugeBody;   // a chunked JSON string of this many bytes
};

// Reads the command line over `defaults`. Nothing, and `error` set, when it is
// not understood.
std::optional<ProviderOptions> parseOptions(int argc, char** argv, ProviderOptions defaults,
                                            std::string& error);

extern const char* const usage;

}  // namespace twl::devprovider
