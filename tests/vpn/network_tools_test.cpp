// The two network tools run for real against a recording fake nmcli found on
// PATH, with a temporary folder as NetworkManager's keyfile folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "child_command.h"

namespace twl::tools {
namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::vector<std::string>>;

// Logs each call as a line of arguments ended by \x1f; answers with the files
// <verb>.out, <verb>.err and <verb>.exit, verb being the first of show, delete,
// load, up, down among its arguments.
constexpr const char* fakeNmcli = R"SH(#!/bin/sh
dir="$FAKE_NMCLI_DIR"
{ for a in "$@"; do printf '%s\037' "$a"; done; echo; } >> "$dir/calls"
for a in "$@"; do case "$a" in show|delete|load|up|down) verb=$a; break;; esac; done
cat "$dir/$verb.out" 2>/dev/null; cat "$dir/$verb.err" >&2 2>/dev/null
exit "$(cat "$dir/$verb.exit" 2>/dev/null || echo 0)"
)SH";

const std::string uuidA = "11111111-1111-4111-8111-111111111111";
const std::string uuidB = "33333333-3333-4333-8333-333333333333";
const std::vector<std::string> listCall{"-t", "-f", "UUID,NAME", "connection", "show"};

class NetworkTools : public ::testing::Test {
  public:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "twl-tools-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        keyfiles = root / "system-connections";
        fake = root / "nmcli";
        fs::create_directories(root / "bin");
        fs::create_directories(keyfiles);
        fs::create_directories(fake);
        std::ofstream(root / "bin" / "nmcli") << fakeNmcli;
        fs::permissions(root / "bin" / "nmcli", fs::perms::owner_all);
        env = {{"PATH", (root / "bin").string() + ":/usr/bin:/bin"},
               {"FAKE_NMCLI_DIR", fake.string()},
               {"TIDEWATERLINK_NM_KEYFILE_DIR", keyfiles.string()}};
    }
    void TearDown() override { fs::remove_all(root); }

    void answer(const std::string& verb, int exitCode, const std::string& out = "",
                const std::string& err = "") const {
        std::ofstream(fake / (verb + ".exit")) << exitCode;
        std::ofstream(fake / (verb + ".out")) << out;
        std::ofstream(fake / (verb + ".err")) << err;
    }

    CommandResult run(const char* tool, std::vector<std::string> args) const {
        args.insert(args.begin(), tool);
        std::vector<std::string> entries;
        for (const auto& [name, value] : env) {
            entries.push_back(name + "=" + value);
        }
        return runCommand(args, entries);
    }

    static std::vector<std::string> createArgs(const std::string& password = "s3cret",
                                               const std::string& secret = "psk731") {
        return {"create",     "--l2tp", "Tidewaterlink", "--endpoint", "vpn.example.net", "--force",
                "--username", "alice",  "--password",    password,     "--shared-secret", secret};
    }

    Calls calls() const {
        Calls all;
        std::ifstream log(fake / "calls");
        for (std::string line; std::getline(log, line);) {
            std::istringstream words(line);
            all.emplace_back();
            for (std::string word; std::getline(words, word, '\x1f');) {
                all.back().push_back(word);
            }
        }
        return all;
    }

    std::vector<fs::path> keyfilesWritten() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(keyfiles)) {
            files.push_back(entry.path());
        }
        return files;
    }

    void expectNoSecretOnAnyArgv(const std::vector<std::string>& secrets) const {
        for (const auto& call : calls()) {
            for (const auto& arg : call) {
                for (const auto& secret : secrets) {
                    EXPECT_EQ(arg.find(secret), std::string::npos) << "a secret on nmcli's argv";
                }
            }
        }
    }

    fs::path root, keyfiles, fake;
    std::map<std::string, std::string> env;
};

std::vector<std::string> loadCall(const fs::path& file) {
    return {"connection", "load", file.string()};
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(NetworkTools, CreateWritesAPrivateKeyfileAndHasNetworkManagerLoadIt) {
    const auto done = run(MACOSVPN, createArgs());
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.err, "");

    const fs::path file = keyfiles / "Tidewaterlink.nmconnection";
    ASSERT_EQ(keyfilesWritten(), std::vector<fs::path>{file});
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const std::string text = slurp(file);
    for (const char* line : {"\nid=Tidewaterlink\n", "\ngateway=vpn.example.net\n",
                             "\nuser=alice\n", "\npassword=s3cret\n", "\nipsec-psk=psk731\n"}) {
        EXPECT_TRUE(contains(text, line)) << line;
    }
    EXPECT_EQ(calls(), (Calls{listCall, loadCall(file)}));
    expectNoSecretOnAnyArgv({"s3cret", "psk731"});
}

TEST_F(NetworkTools, AwkwardSecretsArriveIntactAndNeverOnArgv) {
    ASSERT_EQ(run(MACOSVPN, createArgs(" pa,ss\\word, ", "0sNotBase64")).exitCode, 0);
    const std::string text = slurp(keyfiles / "Tidewaterlink.nmconnection");
    EXPECT_TRUE(contains(text, "\npassword=\\spa,ss\\\\word,\\s\n")) << text;
    EXPECT_TRUE(contains(text, "\nipsec-psk=0sMHNOb3RCYXNlNjQ=\n"))
        << "a key that begins with 0s is encoded, not taken as encoded";
    expectNoSecretOnAnyArgv({"pa,ss", "word", "0sNotBase64", "0sMHNOb3RCYXNlNjQ="});
}

TEST_F(NetworkTools, WithoutForceAnExistingProfileIsAnError) {
    answer("show", 0, uuidA + ":Tidewaterlink\n");
    auto args = createArgs();
    args.erase(std::find(args.begin(), args.end(), "--force"));

    const auto refused = run(MACOSVPN, args);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "macosvpn: a connection named 'Tidewaterlink' already exists; give --force to "
              "replace it\n");
    EXPECT_TRUE(keyfilesWritten().empty());
    EXPECT_EQ(calls(), Calls{listCall});
}

TEST_F(NetworkTools, ForceReplacesEveryProfileOfTheNameAndLeavesOne) {
    answer("show", 0,
           uuidA + ":Tidewaterlink\n22222222-2222-4222-8222-222222222222:Wired\n" + uuidB +
               ":Tidewaterlink\n");
    // A file of that name that NetworkManager holds for another profile.
    std::ofstream(keyfiles / "Tidewaterlink.nmconnection") << "[connection]\nid=Other\n";
    ASSERT_EQ(run(MACOSVPN, createArgs()).exitCode, 0);

    const fs::path file = keyfiles / "Tidewaterlink-1.nmconnection";
    EXPECT_EQ(calls(), (Calls{listCall,
                              {"connection", "delete", "uuid", uuidA},
                              {"connection", "delete", "uuid", uuidB},
                              loadCall(file)}));
    EXPECT_EQ(slurp(keyfiles / "Tidewaterlink.nmconnection"), "[connection]\nid=Other\n")
        << "another file is never overwritten";
}

TEST_F(NetworkTools, EachFailureOfCreateIsReportedAndLeavesNoKeyfile) {
    const std::vector<std::pair<std::function<void(NetworkTools&)>, std::string>> rows{
        {[](NetworkTools& t) {
             t.answer("show", 8, "", "Error: NetworkManager is not running.\n");
         },
         "NetworkManager is not running"},
        {[](NetworkTools& t) { t.answer("show", 1, "", "Error: odd.\n"); },
         "nmcli failed (exit status 1): Error: odd."},
        {[](NetworkTools& t) {
             t.answer("show", 0, uuidA + ":Tidewaterlink\n");
             t.answer("delete", 7, "", "Error: not deleted.\n");
         },
         "cannot remove the old connection " + uuidA +
             ": nmcli failed (exit status 7): Error: "
             "not deleted."},
        {[](NetworkTools& t) { t.answer("load", 1, "", "Error: bad file.\n"); },
         "NetworkManager did not take the connection: nmcli failed (exit status 1): Error: bad "
         "file."},
        {[](NetworkTools& t) { t.env["PATH"] = "/nonexistent"; },
         "nmcli was not found; NetworkManager must be installed"},
        {[](NetworkTools& t) { t.env["TIDEWATERLINK_NM_KEYFILE_DIR"] = "/nonexistent/dir"; },
         "cannot create a file in /nonexistent/dir: No such file or directory"},
    };
    for (const auto& [arrange, message] : rows) {
        SCOPED_TRACE(message);
        TearDown();
        SetUp();
        arrange(*this);
        const auto failed = run(MACOSVPN, createArgs());
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_EQ(failed.err, "macosvpn: " + message + "\n");
        EXPECT_TRUE(keyfilesWritten().empty());
        expectNoSecretOnAnyArgv({"s3cret", "psk731"});
    }
}

TEST_F(NetworkTools, BadInputIsRefusedBeforeNetworkManagerIsAsked) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows{
        {{"create", "--l2tp", "T", "--endpoint", "vpn example"}, "invalid endpoint 'vpn example'"},
        {{"create", "--l2tp", "T", "--endpoint", "h", "--password", "a\nb"},
         "the password contains a control character\n"},
        {{"create", "--l2tp", "T", "--frobnicate"}, "unknown option '--frobnicate'\nusage:"},
    };
    for (const auto& [args, message] : rows) {
        const auto refused = run(MACOSVPN, args);
        EXPECT_NE(refused.exitCode, 0) << message;
        EXPECT_TRUE(refused.err.starts_with("macosvpn: " + message)) << refused.err;
        EXPECT_FALSE(contains(refused.err, "a\nb")) << "a secret was echoed";
    }
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(keyfilesWritten().empty());
}

TEST_F(NetworkTools, NetworksetupStartsAndStopsByNameWithoutWaiting) {
    const std::vector<std::tuple<std::string, int, int, std::string>> rows{
        // verb, nmcli's exit status, the tool's, its complaint
        {"up", 0, 0, ""},
        {"down", 0, 0, ""},
        {"down", 10, 0, ""},  // not active: already down
        {"up", 10, 1, "there is no service named 'My VPN'"},
        {"up", 8, 1, "NetworkManager is not running"},
        {"down", 8, 1, "NetworkManager is not running"},
        {"up", 4, 1, "nmcli failed (exit status 4): Error: activation failed."},
    };
    for (const auto& [verb, nmcliExit, exitCode, complaint] : rows) {
        SCOPED_TRACE(verb + " " + std::to_string(nmcliExit));
        answer(verb, nmcliExit, "Connection successfully activated\n",
               nmcliExit == 0 ? "" : "Error: activation failed.\n");
        const auto done =
            run(NETWORKSETUP,
                {verb == "up" ? "-connectpppoeservice" : "-disconnectpppoeservice", "My VPN"});
        EXPECT_EQ(done.exitCode, exitCode);
        EXPECT_EQ(done.err, complaint.empty() ? "" : "networksetup: " + complaint + "\n");
        EXPECT_EQ(done.out, "") << "quiet, as the tool it stands in for";
        EXPECT_EQ(calls().back(),
                  (std::vector<std::string>{"--wait", "0", "connection", verb, "id", "My VPN"}));
    }
}

TEST_F(NetworkTools, NetworksetupUsageAndMissingNmcli) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"-connectpppoeservice"},
                                               {"-listallnetworkservices"},
                                               {"-connectpppoeservice", "a", "b"}}) {
        const auto refused = run(NETWORKSETUP, args);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(contains(refused.err, "usage: networksetup"));
    }
    EXPECT_TRUE(calls().empty());

    env["PATH"] = "/nonexistent";
    const auto missing = run(NETWORKSETUP, {"-connectpppoeservice", "Tidewaterlink"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "networksetup: nmcli was not found; NetworkManager must be installed\n");
}

// As installed, with no folder override: the system folder exists here only
// inside a private mount namespace, as an overlay over /etc whose changes stay
// in the test's folder.
TEST_F(NetworkTools, WithoutOverrideTheKeyfileGoesToTheSystemFolder) {
    if (::geteuid() != 0 || !runCommand({"unshare", "--mount", "true"}).started) {
        GTEST_SKIP() << "needs root and unshare to give /etc a private overlay";
    }
    fs::create_directories(root / "upper");
    fs::create_directories(root / "work");
    env.erase("TIDEWATERLINK_NM_KEYFILE_DIR");
    const std::string folder = "/etc/NetworkManager/system-connections";
    const std::string script =
        "mount -t overlay overlay -o lowerdir=/etc,upperdir=" + (root / "upper").string() +
        ",workdir=" + (root / "work").string() + " /etc || exit 77; mkdir -p " + folder + " && '" +
        MACOSVPN + "' create --l2tp Tidewaterlink --endpoint h --password s3cret" +
        " && stat -c %a " + folder + "/Tidewaterlink.nmconnection";
    const auto done =
        run("unshare", {"--mount", "--propagation", "private", "/bin/sh", "-c", script});
    if (done.exitCode == 77) {
        GTEST_SKIP() << "overlay mounts are not permitted here: " << done.err;
    }
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.out, "Created L2TP connection 'Tidewaterlink'\n600\n");
    EXPECT_TRUE(
        fs::exists(root / "upper/NetworkManager/system-connections/Tidewaterlink.nmconnection"));
    EXPECT_EQ(calls().back(), loadCall(folder + "/Tidewaterlink.nmconnection"));
}

}  // namespace
}  // namespace twl::tools
