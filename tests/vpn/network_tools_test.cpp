// The two network tools run for real against a recording fake nmcli found on
// PATH, with a temporary folder as NetworkManager's keyfile folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_command.h"

namespace twl::tools {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

// Logs each call's arguments, one call a line, each ended by \x1f; answers with
// the files <verb>.out, <verb>.err and <verb>.exit for the first of show,
// delete, load, up, down among its arguments.
constexpr const char* fakeNmcli = R"SH(#!/bin/sh
{ for a in "$@"; do printf '%s\037' "$a"; done; echo; } >> "$FAKE_NMCLI_DIR/calls"
for a in "$@"; do case "$a" in show|delete|load|up|down) verb=$a; break;; esac; done
cat "$FAKE_NMCLI_DIR/$verb.out" 2>/dev/null; cat "$FAKE_NMCLI_DIR/$verb.err" >&2 2>/dev/null
exit "$(cat "$FAKE_NMCLI_DIR/$verb.exit" 2>/dev/null || echo 0)"
)SH";

const std::string uuidA = "11111111-1111-4111-8111-111111111111";
const std::string uuidB = "33333333-3333-4333-8333-333333333333";
const Words listCall{"-t", "-f", "UUID,NAME", "connection", "show"};

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class NetworkTools : public ::testing::Test {
  public:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "twl-tools-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "bin");
        fs::create_directories(keyfiles());
        std::ofstream(root / "bin" / "nmcli") << fakeNmcli;
        fs::permissions(root / "bin" / "nmcli", fs::perms::owner_all);
        path = (root / "bin").string() + ":/usr/bin:/bin";
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path keyfiles() const { return root / "system-connections"; }

    void answer(const std::string& verb, int exitCode, const std::string& out = "",
                const std::string& err = "") const {
        std::ofstream(root / (verb + ".exit")) << exitCode;
        std::ofstream(root / (verb + ".out")) << out;
        std::ofstream(root / (verb + ".err")) << err;
    }

    CommandResult run(const char* tool, Words args) const {
        args.insert(args.begin(), tool);
        return runCommand(args, {"PATH=" + path, "FAKE_NMCLI_DIR=" + root.string(),
                                 "TIDEWATERLINK_NM_KEYFILE_DIR=" + keyfiles().string()});
    }

    static Words createArgs(const std::string& password = "s3cret",
                            const std::string& secret = "psk731") {
        return {"create",     "--l2tp", "Tidewaterlink", "--endpoint", "vpn.example.net", "--force",
                "--username", "alice",  "--password",    password,     "--shared-secret", secret};
    }

    std::vector<Words> calls() const {
        std::vector<Words> all;
        std::istringstream log(slurp(root / "calls"));
        for (std::string line; std::getline(log, line);) {
            std::istringstream words(line);
            all.emplace_back();
            for (std::string word; std::getline(words, word, '\x1f');) {
                all.back().push_back(word);
            }
        }
        return all;
    }

    std::size_t keyfileCount() const {
        return std::distance(fs::directory_iterator(keyfiles()), fs::directory_iterator());
    }

    void expectNoSecretOnAnyArgv(const Words& secrets) const {
        for (const auto& call : calls()) {
            for (const auto& arg : call) {
                for (const auto& secret : secrets) {
                    EXPECT_FALSE(contains(arg, secret)) << "a secret on nmcli's argv";
                }
            }
        }
    }

    fs::path root;
    std::string path;
};

TEST_F(NetworkTools, CreateWritesAPrivateKeyfileAndKeepsSecretsOffArgv) {
    const auto done = run(MACOSVPN, createArgs(" pa,ss\\word, ", "0sNotBase64"));
    ASSERT_EQ(done.exitCode, 0) << done.err;

    const fs::path file = keyfiles() / "Tidewaterlink.nmconnection";
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const std::string text = slurp(file);
    for (const char* line :
         {"\nid=Tidewaterlink\n", "\nautoconnect=false\n",
          "\nservice-type=org.freedesktop.NetworkManager.l2tp\n", "\ngateway=vpn.example.net\n",
          "\nuser=alice\n", "\npassword-flags=0\n", "\nipsec-enabled=yes\n",
          "\nmachine-auth-type=psk\n", "\nipsec-psk-flags=0\n",
          "\npassword=\\spa,ss\\\\word,\\s\n",    // blanks at the ends, backslash
          "\nipsec-psk=0sMHNOb3RCYXNlNjQ=\n"}) {  // encoded, not taken as already encoded
        EXPECT_TRUE(contains(text, line)) << line << " in:\n" << text;
    }
    EXPECT_EQ(calls(), (std::vector<Words>{listCall, {"connection", "load", file.string()}}));
    expectNoSecretOnAnyArgv({"pa,ss", "word", "0sNotBase64", "0sMHNOb3RCYXNlNjQ="});
}

// NetworkManager does not keep names unique: --force leaves exactly one.
TEST_F(NetworkTools, ForceReplacesEveryProfileOfTheNameWithoutItAnyIsAnError) {
    answer("show", 0, uuidA + ":Tidewaterlink\n" + uuidB + ":Tidewaterlink\n");
    Words unforced = createArgs();
    unforced.erase(std::find(unforced.begin(), unforced.end(), "--force"));
    const auto refused = run(MACOSVPN, unforced);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "macosvpn: a connection named 'Tidewaterlink' already exists; give --force to "
              "replace it\n");
    EXPECT_EQ(keyfileCount(), 0u);

    // A file of that name that NetworkManager holds for another profile.
    std::ofstream(keyfiles() / "Tidewaterlink.nmconnection") << "[connection]\nid=Other\n";
    ASSERT_EQ(run(MACOSVPN, createArgs()).exitCode, 0);
    EXPECT_EQ(calls(),
              (std::vector<Words>{
                  listCall,
                  listCall,
                  {"connection", "delete", "uuid", uuidA},
                  {"connection", "delete", "uuid", uuidB},
                  {"connection", "load", (keyfiles() / "Tidewaterlink-1.nmconnection").string()}}));
    EXPECT_EQ(slurp(keyfiles() / "Tidewaterlink.nmconnection"), "[connection]\nid=Other\n")
        << "another file is never overwritten";
}

TEST_F(NetworkTools, EachFailureOfCreateIsReportedAndLeavesNoKeyfile) {
    const std::vector<std::pair<std::function<void(NetworkTools&)>, std::string>> rows{
        {[](NetworkTools& t) { t.answer("show", 8); }, "NetworkManager is not running"},
        {[](NetworkTools& t) {
             t.answer("show", 0, uuidA + ":Tidewaterlink\n");
             t.answer("delete", 7, "", "Error: not deleted.\n");
         },
         "cannot remove the old connection " + uuidA +
             ": nmcli failed (exit status 7): Error: not deleted."},
        {[](NetworkTools& t) { t.answer("load", 1, "", "Error: bad file.\n"); },
         "NetworkManager did not take the connection: nmcli failed (exit status 1): Error: bad "
         "file."},
        {[](NetworkTools& t) { t.path = "/nonexistent"; },
         "nmcli was not found; NetworkManager must be installed"},
    };
    for (const auto& [arrange, message] : rows) {
        SCOPED_TRACE(message);
        TearDown();
        SetUp();
        arrange(*this);
        const auto failed = run(MACOSVPN, createArgs());
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_EQ(failed.err, "macosvpn: " + message + "\n");
        EXPECT_EQ(keyfileCount(), 0u);
        expectNoSecretOnAnyArgv({"s3cret", "psk731"});
    }
}

TEST_F(NetworkTools, BadInputIsRefusedBeforeNetworkManagerIsAsked) {
    const std::vector<std::pair<Words, std::string>> rows{
        {{"create", "--l2tp", "T", "--endpoint", "vpn example"}, "macosvpn: invalid endpoint"},
        {{"create", "--l2tp", "T", "--endpoint", "h", "--password", "a\nb"},
         "macosvpn: the password contains a control character\n"},
        {{"create", "--l2tp", "T", "--endpoint", "h", "--password", "pw\xff"},
         "macosvpn: the password is not valid UTF-8 text\n"},
        {{"create", "--l2tp", "T", "--frobnicate"}, "macosvpn: unknown option '--frobnicate'"},
        {{"-connectpppoeservice"}, "usage: networksetup"},
    };
    for (const auto& [args, message] : rows) {
        SCOPED_TRACE(message);
        const auto refused = run(args.front() == "create" ? MACOSVPN : NETWORKSETUP, args);
        EXPECT_NE(refused.exitCode, 0);
        EXPECT_TRUE(contains(refused.err, message)) << refused.err;
        EXPECT_FALSE(contains(refused.err, "a\nb")) << "a secret was echoed";
    }
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(keyfileCount(), 0u);
}

// The client's detection does the waiting, so the tool returns at once.
TEST_F(NetworkTools, NetworksetupStartsAndStopsByNameWithoutWaiting) {
    const std::vector<std::tuple<std::string, int, int, std::string>> rows{
        // verb, nmcli's exit status, the tool's, its complaint
        {"up", 0, 0, ""},
        {"down", 10, 0, ""},  // not active: already down
        {"up", 10, 1, "there is no service named 'My VPN'"},
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
        EXPECT_EQ(calls().back(), (Words{"--wait", "0", "connection", verb, "id", "My VPN"}));
    }
}

}  // namespace
}  // namespace twl::tools
