#pragma once

#include <set>
#include <string>

#include "platform/file_manager.h"

namespace twl::fakes {

// A file system of names only: a path exists when a test (or the simulated
// system) has put it there.
class FakeFileManager final : public FileManager {
  public:
    bool fileExistsAtPath(const std::string& path) const override { return paths.contains(path); }
    std::set<std::string> paths;
};

}  // namespace twl::fakes
