#include "road_setup.h"

#include <grp.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "child_command.h"

namespace twl::test_support {

namespace fs = std::filesystem;

std::string whyTheRoadCannotRun() {
    if (::geteuid() != 0) {
        return "needs root: private namespaces, a throwaway administrator and a TUN device";
    }
    if (!fs::exists("/dev/net/tun")) {
        return "needs /dev/net/tun to play the tunnel";
    }
    if (!tools::runCommand({"ip", "-V"}).started) {
        return "needs ip (iproute2) to play the tunnel";
    }
    return {};
}

fs::path copyBundle(const fs::path& shareDir, const fs::path& devprovider) {
    fs::path root = "/usr/local/share/twl-bundle";
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share");
    fs::copy(shareDir, root / "share" / "tidewaterlink", fs::copy_options::recursive);
    fs::copy_file(devprovider, root / "bin" / "tidewaterlink-devprovider");
    return root;
}

std::string privateTmp() {
    if (::mount("twl-e2e", "/tmp", "tmpfs", 0, "mode=1777") != 0) {
        return "cannot put a tmpfs over /tmp";
    }
    return {};
}

std::string becomeUser(const SandboxUser& user, const fs::path& home) {
    fs::create_directories(home / "run");
    for (const auto& folder : {home, home / "run"}) {
        if (::chown(folder.c_str(), user.id, user.id) != 0 || ::chmod(folder.c_str(), 0700) != 0) {
            return "cannot give the user a home";
        }
    }
    if (::setgroups(0, nullptr) != 0 || ::setgid(user.id) != 0 || ::setuid(user.id) != 0) {
        return "cannot become the desktop user";
    }
    ::prctl(PR_SET_DUMPABLE, 1);  // the sanitizers' leak check stops the process's threads
    for (const char* name :
         {"SUDO_USER", "SUDO_UID", "SUDO_GID", "SUDO_COMMAND", "DISPLAY", "WAYLAND_DISPLAY"}) {
        ::unsetenv(name);
    }
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("USER", user.name.c_str(), 1);
    ::setenv("LOGNAME", user.name.c_str(), 1);
    ::setenv("PATH", "/usr/local/bin:/usr/bin:/bin", 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (home / "no-bus").string()).c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return {};
}

}  // namespace twl::test_support
