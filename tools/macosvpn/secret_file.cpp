#include "secret_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "descriptor.h"

namespace twl::tools {
namespace {

// One byte past the limit tells a file that grew after fstat from one that fits.
bool readUpTo(int fd, std::size_t limit, std::string& text) {
    char buffer[secretFileLimit + 1];
    while (text.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::variant<SecretFile, std::string> readSecretFile(const std::string& path,
                                                     const std::string& what) {
    const std::string named = what + " '" + path + "'";
    // O_NONBLOCK: a FIFO must be refused, not waited on.
    const Descriptor file(
        ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ELOOP) {
            return named + " is a symbolic link; give the file itself";
        }
        return "cannot open " + named + ": " + std::strerror(errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return "cannot examine " + named + ": " + std::strerror(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return named + " is not a regular file";
    }
    if ((info.st_mode & 07777) != 0600) {
        return named + " must be readable and writable by its owner alone (mode 0600)";
    }
    const std::string tooLarge =
        named + " is larger than " + std::to_string(secretFileLimit) + " bytes";
    if (static_cast<std::size_t>(info.st_size) > secretFileLimit) {
        return tooLarge;
    }
    SecretFile secret;
    secret.owner = info.st_uid;
    if (!readUpTo(file.get(), secretFileLimit, secret.value)) {
        return "cannot read " + named + ": " + std::strerror(errno);
    }
    if (secret.value.size() > secretFileLimit) {
        return tooLarge;
    }
    if (!secret.value.empty() && secret.value.back() == '\n') {
        secret.value.pop_back();
    }
    return secret;
}

}  // namespace twl::tools
