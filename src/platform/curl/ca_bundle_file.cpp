#include "platform/curl/ca_bundle_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "platform/curl/curl_transfer.h"

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
    const CurlEasyPtr easy(libcurl().easy_init());
    char* path = nullptr;
    if (easy && libcurl().easy_getinfo(easy.get(), CURLINFO_CAINFO, &path) == CURLE_OK && path) {
        return path;
    }
    return {};
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

CaBundleFile::CaBundleFile(const std::string& extraCaFile) {
    if (extraCaFile.empty()) {
        return;
    }
    const auto extra = readFile(extraCaFile);
    if (!extra || extra->empty()) {
        return;
    }
    // The file replaces the system's bundle, so that goes in first.
    std::string bundle;
    if (const std::string systemPath = systemBundlePath(); !systemPath.empty()) {
        bundle = readFile(systemPath).value_or("");
    }
    if (!bundle.empty() && bundle.back() != '\n') {
        bundle += '\n';
    }
    bundle += *extra;

    fd_ = ::memfd_create("tidewaterlink-ca", MFD_CLOEXEC);
    if (fd_ < 0 || !writeAll(fd_, bundle)) {
        throw std::runtime_error("cannot set up HTTP: no room for the CA bundle");
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

CaBundleFile::~CaBundleFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace twl
