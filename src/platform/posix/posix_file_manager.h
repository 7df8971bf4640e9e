#pragma once

#include "platform/file_manager.h"

namespace twl {

class PosixFileManager final : public FileManager {
  public:
    bool fileExistsAtPath(const std::string& path) const override;
};

}  // namespace twl
