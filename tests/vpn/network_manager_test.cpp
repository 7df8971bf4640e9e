// The two network tools against the real NetworkManager, run as root in
// namespaces of the test's own, with every direction a caller's environment
// could give them pointing somewhere else.
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "child_command.h"
#include "nmcli.h"
#include "private_network_manager.h"
#include "test_support.h"

namespace twl::tools {
namespace {

namespace fs = std::filesystem;
using test_support::PrivateNetworkManager;
using Words = std::vector<std::string>;
using namespace std::string_literals;

// Blanks at the ends and a backslash; a key that looks base64-encoded.
constexpr const char* password = " pa,ss\\word, ";
constexpr const char* sharedSecret = "0sNotBase64";
const std::string otherUsers = "aaaaaaaa-0000-4000-8000-000000000001";
const std::string ownerless = "aaaaaaaa-0000-4000-8000-000000000002";
const std::string oddlyNamed = "aaaaaaaa-0000-4000-8000-000000000003";
const fs::path files = PrivateNetworkManager::scratch();
const fs::path bait = files / "bait";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A field as `nmcli -g` prints it.
std::string field(const std::string& uuid, const std::string& name) {
    std::string value = runNmcli({"-g", name, "connection", "show", "uuid", uuid}).out;
    return value.substr(0, value.find_last_not_of('\n') + 1);
}

// Every profile's uuid with its name.
std::map<std::string, std::string> profiles() {
    std::map<std::string, std::string> found;
    std::istringstream uuids(runNmcli({"-g", "UUID", "connection", "show"}).out);
    for (std::string uuid; std::getline(uuids, uuid);) {
        found[uuid] = field(uuid, "connection.id");
    }
    return found;
}

Words createArgs(const std::string& gateway, const std::string& passwordFile = "password",
                 const std::string& user = "alice", bool withKey = true) {
    Words args{"create",     "--l2tp", "Tidewaterlink", "--endpoint",      gateway,
               "--username", user,     "--force",       "--password-file", files / passwordFile};
    if (withKey) {
        args.insert(args.end(), {"--shared-secret-file", files / "shared-secret"});
    }
    return args;
}

class RealNetworkManager : public ::testing::Test {
  protected:
    void SetUp() override {
        if (auto why = nm.start({.config = config}); !why.empty()) {
            GTEST_SKIP() << why;
        }
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) {
            GTEST_SKIP() << "needs the user 'nobody' to own the secret files";
        }
        owner = nobody->pw_uid;
        // Where a caller's environment would send the tools.
        fs::create_directories(bait / "keyfiles");
        std::ofstream(bait / "nmcli") << "#!/bin/sh\necho \"$*\" >> " << bait / "called\n";
        fs::permissions(bait / "nmcli", fs::perms::owner_all);
        writeSecret("password", password + std::string("\n"));  // one line break is dropped
        writeSecret("shared-secret", sharedSecret);
    }

    void writeSecret(const std::string& name, const std::string& value, mode_t mode = 0600) const {
        std::ofstream(files / name) << value;
        ASSERT_EQ(::chmod((files / name).c_str(), mode), 0);
        ASSERT_EQ(::chown((files / name).c_str(), owner, owner), 0);
    }

    static CommandResult run(const char* tool, Words args, const std::string& extra = "X=") {
        args.insert(args.begin(), tool);
        return runCommand(args,
                          {"PATH=" + bait.string() + ":/usr/bin:/bin",
                           "TIDEWATERLINK_NMCLI=" + (bait / "nmcli").string(),
                           "TIDEWATERLINK_NM_KEYFILE_DIR=" + (bait / "keyfiles").string(), extra});
    }

    static CommandResult create(const std::string& gateway = "vpn.example.net") {
        return run(MACOSVPN, createArgs(gateway));
    }

    static void addProfile(const std::string& uuid, const std::string& name,
                           const std::string& permissions) {
        const auto added =
            runNmcli({"connection", "add", "type", "vpn", "vpn-type", "l2tp", "con-name", name,
                      "connection.uuid", uuid, "connection.permissions", permissions, "vpn.data",
                      "gateway=other.example.net"});
        ASSERT_EQ(added.exitCode, 0) << added.err;
    }

    static void expectTheEnvironmentIgnored() {
        EXPECT_FALSE(fs::exists(bait / "called")) << test_support::readFile(bait / "called");
        EXPECT_TRUE(fs::is_empty(bait / "keyfiles"));
    }

    std::string config;
    PrivateNetworkManager nm;
    uid_t owner = 0;
};

// NetworkManager keeps its profiles elsewhere and refuses files in the usual
// folder, though `nmcli connection load` still succeeds.
class NetworkManagerReadingElsewhere : public RealNetworkManager {
    void SetUp() override {
        config = "[keyfile]\npath=" + (files / "elsewhere").string() + "\n";
        RealNetworkManager::SetUp();
    }
};

TEST_F(RealNetworkManager, CreateGivesOneL2tpProfileOfTheSecretsOwner) {
    const auto done = create();
    ASSERT_EQ(done.exitCode, 0) << done.err;
    const auto all = profiles();
    ASSERT_EQ(all.size(), 1u);
    const auto& [uuid, name] = *all.begin();
    EXPECT_EQ(name, "Tidewaterlink");
    EXPECT_EQ(field(uuid, "connection.type"), "vpn");
    EXPECT_EQ(field(uuid, "vpn.service-type"), "org.freedesktop.NetworkManager.l2tp");
    EXPECT_EQ(field(uuid, "connection.permissions"), "user\\:nobody");
    const std::string data = field(uuid, "vpn.data");
    for (const char* item :
         {"gateway = vpn.example.net", "user = alice", "ipsec-enabled = yes", "refuse-pap = yes"}) {
        EXPECT_TRUE(contains(data, item)) << data;
    }

    const fs::path keyfile =
        fs::path(PrivateNetworkManager::keyfileFolder) / "Tidewaterlink.nmconnection";
    struct stat info {};
    ASSERT_EQ(::stat(keyfile.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const std::string text = test_support::readFile(keyfile);
    for (const char* line : {"\npermissions=user:nobody;\n", "\npassword=\\spa,ss\\\\word,\\s\n",
                             "\nipsec-psk=0sMHNOb3RCYXNlNjQ=\n"}) {
        EXPECT_TRUE(contains(text, line)) << line << " in:\n" << text;
    }
    // Nowhere else that NetworkManager keeps things.
    const std::set<fs::path> given{keyfile, files / "password", files / "shared-secret"};
    for (const fs::path& folder :
         {fs::path("/run"), fs::path("/var/lib/NetworkManager"), keyfile.parent_path()}) {
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (!entry.is_regular_file() || given.contains(entry.path())) {
                continue;
            }
            const std::string content = test_support::readFile(entry.path());
            for (const char* secret : {"pa,ss", "NotBase64", "MHNOb3RCYXNlNjQ"}) {
                EXPECT_FALSE(contains(content, secret)) << entry.path();
            }
        }
    }
    expectTheEnvironmentIgnored();
}

// Secret files must be private small regular files of one owner (the caller's
// behind sudo) with no link on their path; the gateway a host name or an IPv4
// address; a key is needed, and a user name that pppd's options can hold.
// Nothing is created and no secret repeated.
TEST_F(RealNetworkManager, CreateRefusesWhatItCannotTrust) {
    fs::create_symlink(files / "password", files / "link");
    fs::create_directory_symlink(files, files / "linked");
    fs::create_directory(files / "folder");
    ASSERT_EQ(::mkfifo((files / "fifo").c_str(), 0600), 0);
    writeSecret("shared", "pa,ss", 0644);
    writeSecret("readonly", "pa,ss", 0400);
    writeSecret("large", std::string(4097, 'x'));
    writeSecret("roots", "pa,ss");
    ASSERT_EQ(::chown((files / "roots").c_str(), 0, 0), 0);
    const std::string label63(63, 'a');
    const std::string long253 =
        label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    std::vector<std::tuple<std::string, std::string, std::string>> rows{
        // password file, gateway, why
        {"link", "vpn.example.net", "is a symbolic link"},
        {"linked/password", "vpn.example.net", "lies behind one"},
        {"shared", "vpn.example.net", "(mode 0600)"},
        {"readonly", "vpn.example.net", "(mode 0600)"},
        {"large", "vpn.example.net", "is larger than 4096 bytes"},
        {"folder", "vpn.example.net", "is not a regular file"},
        {"fifo", "vpn.example.net", "is not a regular file"},
        {"missing", "vpn.example.net", "cannot open"},
        {"roots", "vpn.example.net", "belong to different users"},
    };
    // The L2TP plugin takes no IPv6.
    for (const std::string& gateway :
         {std::string(), "-vpn.example.net"s, "vpn-.example.net"s, "vpn..example.net"s,
          "vpn_1.example.net"s, label63 + "a.example", long253 + "b", "10.1.1"s, "203.0.113.256"s,
          "203.0.113.07"s, "2001:db8::1"s}) {
        rows.emplace_back("password", gateway, "invalid endpoint");
    }
    for (const auto& [file, gateway, why] : rows) {
        const auto refused = run(MACOSVPN, createArgs(gateway, file));
        EXPECT_EQ(refused.exitCode, 1) << file << " " << gateway;
        EXPECT_TRUE(contains(refused.err, why)) << refused.err;
        EXPECT_FALSE(contains(refused.err, "pa,ss")) << refused.err;
    }
    const std::tuple<Words, std::string, std::string> more[] = {
        // arguments, environment, why
        {createArgs("vpn.example.net"), "SUDO_UID=1", "does not belong to the user who ran sudo"},
        {createArgs("vpn.example.net", "password", "al\" plugin x"), "", "double quote"},
        {createArgs("vpn.example.net", "password", "al\\ice"), "", "backslash"},
        {createArgs("vpn.example.net", "password", "alice", false), "",
         "shared secret is required"},
    };
    for (const auto& [args, environment, why] : more) {
        const auto refused = run(MACOSVPN, args, environment);
        EXPECT_EQ(refused.exitCode, 1) << why;
        EXPECT_TRUE(contains(refused.err, why)) << refused.err;
    }
    EXPECT_TRUE(profiles().empty());
    // The longest names there are, and an address.
    for (const std::string& gateway :
         {label63 + ".example.", long253, std::string("203.0.113.7")}) {
        EXPECT_EQ(create(gateway).exitCode, 0) << gateway;
    }
}

// Where a sandbox refuses openat2, the path is still walked without links.
TEST_F(RealNetworkManager, WithoutOpenat2NoLinkIsFollowedEither) {
    sock_filter refuse[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{std::size(refuse), refuse};
    // For the rest of this process (a case of its own): nothing else here uses openat2.
    ASSERT_EQ(::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program), 0);
    fs::create_directory_symlink(files, files / "linked");
    const auto refused = run(MACOSVPN, createArgs("vpn.example.net", "linked/password"));
    EXPECT_TRUE(contains(refused.err, "lies behind one")) << refused.err;
    EXPECT_EQ(create().exitCode, 0) << "the file itself is taken";
}

// Stopped while NetworkManager takes the keyfile, the tool finishes that step
// first; what a SIGKILL leaves (a temporary file, a keyfile NetworkManager
// does not know) the next run removes, and only what is this owner's.
TEST_F(RealNetworkManager, AStoppedRunLeavesNoSecretBehind) {
    const fs::path folder = PrivateNetworkManager::keyfileFolder;
    const fs::path stopper = files / "stopper";
    std::ofstream(stopper)
        << "#!/bin/sh\ncase \"$*\" in 'connection load '*) kill $PPID; exit 1;; esac\n";
    fs::permissions(stopper, fs::perms::owner_all);
    ASSERT_EQ(nm.system().bindOver(stopper, nmcliProgram), "");
    EXPECT_EQ(create().exitCode, -1) << "ended by the signal";
    ASSERT_EQ(::umount(nmcliProgram), 0);
    EXPECT_TRUE(fs::is_empty(folder));

    const auto keyfile = [](const std::string& owner, char last) {
        return "[connection]\nid=Tidewaterlink\nuuid=aaaaaaaa-0000-4000-8000-00000000000" +
               std::string(1, last) + "\npermissions=user:" + owner + ";\n";
    };
    std::ofstream(folder / ".Tidewaterlink.Ab12Cd") << "password=x\n";
    std::ofstream(folder / "Tidewaterlink-7.nmconnection") << keyfile("nobody", '7');
    std::ofstream(folder / "Tidewaterlink-8.nmconnection") << keyfile("daemon", '8');
    ASSERT_EQ(create().exitCode, 0);
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) {
        left.insert(entry.path().filename());
    }
    EXPECT_EQ(left, (std::set<std::string>{"Tidewaterlink-8.nmconnection",
                                           "Tidewaterlink.nmconnection"}));
}

// NetworkManager keeps no name unique: --force leaves one of this user's,
// replaces the ownerless ones of before, and leaves everyone else's.
TEST_F(RealNetworkManager, ForceReplacesOnlyTheUsersOwnProfiles) {
    addProfile(otherUsers, "Tidewaterlink", "user:daemon");
    addProfile(ownerless, "Tidewaterlink", "");
    // In a terse listing it reads as a row of a "Tidewaterlink" that is not there.
    addProfile(oddlyNamed, "x\n00000000-0000-4000-8000-000000000000:Tidewaterlink", "");
    ASSERT_EQ(create().exitCode, 0);
    const auto again = create("vpn2.example.net");
    ASSERT_EQ(again.exitCode, 0) << again.err;

    auto after = profiles();
    EXPECT_EQ(after.erase(otherUsers), 1u);
    EXPECT_EQ(after.erase(oddlyNamed), 1u);
    ASSERT_EQ(after.size(), 1u) << "the ownerless and the first run's profile are gone";
    const std::string uuid = after.begin()->first;
    EXPECT_TRUE(contains(field(uuid, "vpn.data"), "gateway = vpn2.example.net"));
}

TEST_F(RealNetworkManager, AProfileThatCannotBeWrittenLeavesTheOldOne) {
    ASSERT_EQ(create().exitCode, 0);
    const auto before = profiles();
    ASSERT_EQ(::mount(nullptr, PrivateNetworkManager::keyfileFolder, nullptr,
                      MS_REMOUNT | MS_RDONLY, nullptr),
              0);
    const auto failed = create("vpn2.example.net");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(contains(failed.err, "the old connection is kept")) << failed.err;
    EXPECT_EQ(profiles(), before);
}

TEST_F(NetworkManagerReadingElsewhere, AProfileItRefusesLeavesTheOldOne) {
    addProfile(ownerless, "Tidewaterlink", "");
    const auto refused = create();
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(contains(refused.err, "the old connection is kept")) << refused.err;
    EXPECT_EQ(profiles(), (std::map<std::string, std::string>{{ownerless, "Tidewaterlink"}}));
}

TEST_F(RealNetworkManager, StartingTellsNetworkManagersReason) {
    ASSERT_EQ(create().exitCode, 0);
    // No connection for the VPN to go over in an empty namespace; and the same
    // when started with SIGCHLD ignored, which would leave nmcli's exit unread.
    for (const char* trap : {"", "trap '' CHLD; "}) {
        const auto start = [trap](const char* name) {
            return run("/bin/bash", {"-c", trap + std::string("exec \"$0\" \"$@\""), NETWORKSETUP,
                                     "-connectpppoeservice", name});
        };
        const auto up = start("Tidewaterlink");
        EXPECT_EQ(up.exitCode, 1) << trap;
        EXPECT_TRUE(contains(up.err, "Could not find source connection")) << up.err;
        EXPECT_EQ(start("My VPN").err, "networksetup: there is no service named 'My VPN'\n");
    }
    // Not active is already down.
    EXPECT_EQ(run(NETWORKSETUP, {"-disconnectpppoeservice", "Tidewaterlink"}).exitCode, 0);
    expectTheEnvironmentIgnored();
}

TEST_F(RealNetworkManager, TheToolCannotBeInspectedWhileItHoldsTheSecrets) {
#ifdef TIDEWATERLINK_SANITIZED
    GTEST_SKIP() << "sanitizer builds stay dumpable for the leak check";
#endif
    // An nmcli that tells whose the calling tool's memory is: root's when the
    // tool made itself non-dumpable, else the user's it runs as.
    const fs::path teller = files / "teller";
    std::ofstream(teller) << "#!/bin/sh\necho \"memory of $(stat -c %u /proc/$PPID/mem)\" >&2\n"
                             "exit 1\n";
    fs::permissions(teller, fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
    ASSERT_EQ(nm.system().bindOver(teller, nmcliProgram), "");
    const fs::path tool = files / "macosvpn";
    fs::copy_file(MACOSVPN, tool);
    Words args = createArgs("vpn.example.net");
    args.insert(args.begin(), {"/usr/bin/setpriv", "--reuid=" + std::to_string(owner),
                               "--regid=" + std::to_string(owner), "--clear-groups", tool});
    const auto done = runCommand(args, {"PATH=/usr/bin:/bin"});
    EXPECT_TRUE(contains(done.err, "memory of 0\n")) << done.err;
}

}  // namespace
}  // namespace twl::tools
