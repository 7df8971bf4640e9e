#include "provider_options.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string_view>

namespace twl::devprovider {

const char* const usage =
    "usage: tidewaterlink-devprovider [--port N] [--dir FOLDER] [--accounts FILE]\n"
    "         [--public-ip TEXT] [--record FILE]\n"
    "         [--fixed-body TEXT | --body-file FILE | --nested-depth N]\n"
    "         [--fixed-status CODE] [--stall | --delay SECONDS] [--huge-body BYTES]\n"
    "  --port 0 picks a free port; the first line on standard output names the URL.\n"
    "  --delay holds every answer back that long (fractions allowed, up to an hour);\n"
    "  --stall never answers.\n"
    "  --body-file answers every request with the bytes of FILE, read at start;\n"
    "  --nested-depth with N nested arrays, [[...]].\n";

namespace {

constexpr std::size_t maxNestedDepth = 100'000'000;
constexpr double maxDelaySeconds = 3600;

template <typename Number>
bool parseNumber(std::string_view text, Number& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

// The file's bytes, read now: a body of a few hundred kilobytes is more than
// one argument may hold.
std::optional<std::string> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) {
        return std::nullopt;
    }
    return bytes.str();
}

}  // namespace

std::optional<ProviderOptions> parseOptions(int argc, char** argv, ProviderOptions options,
                                            std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        if (flag == "--stall") {
            options.stall = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "unknown option or missing value: " + std::string(flag);
            return std::nullopt;
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (flag == "--port") {
            ok = parseNumber(value, options.port) && options.port >= 0 && options.port <= 65535;
        } else if (flag == "--dir") {
            options.folder = value;
        } else if (flag == "--accounts") {
            options.accounts = value;
        } else if (flag == "--public-ip") {
            options.publicIp = value;
        } else if (flag == "--record") {
            options.record = value;
        } else if (flag == "--fixed-body") {
            options.fixedBody = value;
        } else if (flag == "--body-file") {
            options.fixedBody = fileBytes(value);
            ok = options.fixedBody.has_value();
        } else if (flag == "--nested-depth") {
            std::size_t depth = 0;
            ok = parseNumber(value, depth) && depth >= 1 && depth <= maxNestedDepth;
            if (ok) {
                options.fixedBody = std::string(depth, '[') + std::string(depth, ']');
            }
        } else if (flag == "--fixed-status") {
            int status = 0;
            ok = parseNumber(value, status) && status >= 100 && status <= 599;
            options.fixedStatus = status;
        } else if (flag == "--delay") {
            double seconds = -1;
            ok = parseNumber(value, seconds) && seconds >= 0 && seconds <= maxDelaySeconds;
            options.delay = std::chrono::milliseconds(std::lround(seconds * 1000));
        } else if (flag == "--huge-body") {
            std::size_t bytes = 0;
            ok = parseNumber(value, bytes) && bytes >= 2;
            options.hugeBody = bytes;
        } else {
            error = "unknown option: " + std::string(flag);
            return std::nullopt;
        }
        if (!ok) {
            error = "bad value for " + std::string(flag) + ": " + value;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace twl::devprovider
