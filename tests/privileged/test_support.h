#pragma once

#include <stdlib.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace twl::test_support {

// A fresh folder (0700) under the system's temporary folder, or under
// `parent`, removed with its content.
class TempFolder {
  public:
    explicit TempFolder(
        const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
        std::string pattern = (parent / "twl-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Secrets go only into a runtime folder in memory; /dev/shm is a tmpfs.
inline constexpr const char* memoryFolder = "/dev/shm";

inline void writeExecutable(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
    std::filesystem::permissions(file, std::filesystem::perms(0755));
}

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> lines(const std::string& text, char end = '\n') {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, end);) {
        result.push_back(line);
    }
    return result;
}

// Whether the process ends within 10 s; a zombie waiting for its parent has.
inline bool endsSoon(pid_t pid) {
    const auto running = [stat = "/proc/" + std::to_string(pid) + "/stat"] {
        const std::string text = readFile(stat);
        const auto close = text.rfind(')');
        return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
    };
    for (int tries = 0; tries < 1000 && running(); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !running();
}

}  // namespace twl::test_support
