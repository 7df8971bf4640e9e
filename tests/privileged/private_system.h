#pragma once

#include <sys/types.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace twl::test_support {

struct SandboxUser {
    std::string name;
    uid_t id = 0;  // also the id of the user's own group
    std::string password;
};

// A system of the test's own: the test process moves into a private mount
// namespace (and, if asked, a network namespace with loopback up) with a tmpfs
// over /run, and everything it changes from there (users, sudoers, system
// folders, programs) is a mount of that namespace, so the host never changes,
// even if the test dies half-way. Processes it starts die with the test, as
// long as the test is root (a child that outlives switchTo() must watch for its
// parent itself). Needs root. Each step gives back empty once done, else why it could not be.
class PrivateSystem {
  public:
    PrivateSystem() = default;
    ~PrivateSystem();
    PrivateSystem(const PrivateSystem&) = delete;
    PrivateSystem& operator=(const PrivateSystem&) = delete;

    std::string enter(bool ownNetwork = false);
    // A tmpfs over `folder`; `file` seen at `target` (both must exist).
    std::string tmpfsOver(const std::filesystem::path& folder, const char* options = "mode=0755");
    std::string bindOver(const std::filesystem::path& file, const std::filesystem::path& target);

    // Two throwaway users who may use sudo: `asker` has to give its password,
    // `trusted` has a NOPASSWD rule. sudo logs to sudoLog() and nowhere else.
    std::string addSudoUsers();
    const SandboxUser& asker() const { return asker_; }
    const SandboxUser& trusted() const { return trusted_; }
    // Writable by everyone; commands leave their traces here.
    static std::filesystem::path drop() { return "/run/twl-drop"; }
    static std::filesystem::path sudoLog() { return "/run/twl-sudo.log"; }

    // Runs body in a child that dies with the test; one still running when this
    // object goes gets SIGTERM, then SIGKILL.
    pid_t start(const std::function<int()>& body);
    // Runs body in a child process as the user; true when it ended with 0.
    static bool runAs(const SandboxUser& user, const std::function<int()>& body);
    // This process takes the user's ids for good, in `home` with a plain
    // environment of the user's (HOME, PATH, LANG, USER), nothing of the caller's.
    static bool switchTo(const SandboxUser& user, const std::filesystem::path& home);

  private:
    std::array<int, 3> home_{-1, -1, -1};  // network and mount namespaces, working folder
    SandboxUser asker_;
    SandboxUser trusted_;
    std::vector<pid_t> started_;
};

}  // namespace twl::test_support
