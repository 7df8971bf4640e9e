#pragma once

#include <sys/types.h>

#include <string>
#include <variant>

namespace twl::tools {

// A secret handed over in a file rather than on the command line, where every
// local user could read it.
struct SecretFile {
    std::string value;  // the content less one trailing line break
    uid_t owner = 0;    // whose file it is: the profile is made that user's
};

inline constexpr std::size_t secretFileLimit = 4096;

// Reads the file at `path` if it is what only its owner could have written:
// a regular file of mode 0600 and at most secretFileLimit bytes, with no
// symbolic link anywhere on its path. Otherwise why not, naming the file as `what`
// and never quoting its content.
std::variant<SecretFile, std::string> readSecretFile(const std::string& path,
                                                     const std::string& what);

}  // namespace twl::tools
