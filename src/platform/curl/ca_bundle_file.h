#pragma once

#include <string>

namespace twl {

// The certificates to trust when an extra CA file is configured: the system's
// bundle followed by the extra file, in an anonymous in-memory file that
// libcurl opens by name and that goes with the process. libcurl keeps the
// store it builds from a CA file alone for later connections, where a bundle
// handed over as a blob is parsed again for every one.
class CaBundleFile {
  public:
    // Throws std::runtime_error when the in-memory file cannot be made.
    explicit CaBundleFile(const std::string& extraCaFile);
    ~CaBundleFile();
    CaBundleFile(const CaBundleFile&) = delete;
    CaBundleFile& operator=(const CaBundleFile&) = delete;

    // The file's name; empty when there is no extra file (or it cannot be
    // read): the system's bundle then applies alone.
    const std::string& path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace twl
