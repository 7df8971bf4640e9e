#pragma once

#include <sys/types.h>

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

// A private mount namespace in which two throwaway users exist and may use
// sudo: `asker` has to give its password, `trusted` has a NOPASSWD rule. The
// user, shadow and group files and the sudoers drop-in folder are temporary
// copies mounted over the real ones, so the host never changes, even if the
// process dies half-way. Needs root.
class PrivateSystem {
  public:
    PrivateSystem() = default;
    ~PrivateSystem();
    PrivateSystem(const PrivateSystem&) = delete;
    PrivateSystem& operator=(const PrivateSystem&) = delete;

    // Empty once everything is in place, else why it could not be.
    std::string setUp();

    const SandboxUser& asker() const { return asker_; }
    const SandboxUser& trusted() const { return trusted_; }
    // Writable by everyone; commands leave their traces here.
    std::filesystem::path drop() const { return workspace_ / "drop"; }
    // Where sudo logs every command it runs or refuses, one line each.
    std::filesystem::path sudoLog() const { return workspace_ / "sudo.log"; }

    // Runs body in a child process as the user; true when it ended with 0.
    static bool runAs(const SandboxUser& user, const std::function<int()>& body);

  private:
    std::string mountUserDatabase();
    std::string mountSudoers();
    void hideSudoState();
    bool sudoWorks() const;

    std::filesystem::path workspace_;
    SandboxUser asker_;
    SandboxUser trusted_;
};

}  // namespace twl::test_support
