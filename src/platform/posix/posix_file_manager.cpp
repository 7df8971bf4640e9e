#include "platform/posix/posix_file_manager.h"

#include <sys/stat.h>

namespace twl {

bool PosixFileManager::fileExistsAtPath(const std::string& path) const {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace twl
