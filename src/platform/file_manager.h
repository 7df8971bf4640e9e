#pragma once

#include <string>

namespace twl {

class FileManager {
  public:
    virtual ~FileManager() = default;

    // True when something exists at the path (following symbolic links).
    virtual bool fileExistsAtPath(const std::string& path) const = 0;
};

}  // namespace twl
