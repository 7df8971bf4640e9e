#include "secret_file.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

// Opens each folder on the way with O_NOFOLLOW, for kernels (or sandboxes)
// that refuse openat2: a link anywhere fails with ELOOP.
int openComponentByComponent(const std::filesystem::path& path, int flags) {
    Descriptor folder(::open(path.is_absolute() ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (const auto& part : path.relative_path().parent_path()) {
        folder.reset(::openat(folder.get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat info {};
        if (folder.get() < 0 || ::fstat(folder.get(), &info) != 0) {
            return -1;
        }
        if (!S_ISDIR(info.st_mode)) {
            errno = S_ISLNK(info.st_mode) ? ELOOP : ENOTDIR;
            return -1;
        }
    }
    return ::openat(folder.get(), path.filename().c_str(), flags | O_NOFOLLOW);
}

// No symbolic link anywhere on the path: a folder on the way that someone
// else may change could otherwise lead to another user's file.
int openWithoutLinks(const std::string& path, int flags) {
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags);
    how.resolve = RESOLVE_NO_SYMLINKS;
    const long fd = ::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != E2BIG)) {
        return static_cast<int>(fd);
    }
    return openComponentByComponent(path, flags);
}

}  // namespace

std::variant<SecretFile, std::string> readSecretFile(const std::string& path,
                                                     const std::string& what) {
    const std::string named = what + " '" + path + "'";
    // O_NONBLOCK: a FIFO must be refused, not waited on.
    const Descriptor file(openWithoutLinks(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ELOOP) {
            return named + " is a symbolic link or lies behind one; give the file itself";
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
