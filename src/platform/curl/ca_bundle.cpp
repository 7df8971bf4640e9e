#include "platform/curl/ca_bundle.h"

#include <curl/curl.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

namespace twl {
namespace {

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return text.str();
}

// Where libcurl looks for the system's bundle when it is not told otherwise.
std::string systemBundlePath() {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), &curl_easy_cleanup);
    char* path = nullptr;
    if (easy && curl_easy_getinfo(easy.get(), CURLINFO_CAINFO, &path) == CURLE_OK && path) {
        return path;
    }
    return {};
}

}  // namespace

std::string caBundleWithExtra(const std::string& extraCaFile) {
    if (extraCaFile.empty()) {
        return {};
    }
    const auto extra = readFile(extraCaFile);
    if (!extra || extra->empty()) {
        return {};
    }
    // A bundle given as a blob replaces the system's file (the system's
    // certificate folder still counts), so the file goes in first.
    std::string bundle;
    if (const std::string systemPath = systemBundlePath(); !systemPath.empty()) {
        bundle = readFile(systemPath).value_or("");
    }
    if (!bundle.empty() && bundle.back() != '\n') {
        bundle += '\n';
    }
    return bundle + *extra;
}

}  // namespace twl
