// The two network tools run for real against a recording fake nmcli found on
// PATH, with a temporary folder as NetworkManager's keyfile folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "child_command.h"

namespace twl::tools {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

// Logs each call's arguments, one call a line; answers with the files
// <verb>.out, <verb>.err and <verb>.exit for the first of show, delete, load,
// up, down among its arguments.
constexpr const char* fakeNmcli = R"SH(#!/bin/sh
echo "$*" >> "$FAKE_NMCLI_DIR/calls"
for a in "$@"; do case "$a" in show|delete|load|up|down) verb=$a; break;; esac; done
cat "$FAKE_NMCLI_DIR/$verb.out" 2>/dev/null; cat "$FAKE_NMCLI_DIR/$verb.err" >&2 2>/dev/null
exit "$(cat "$FAKE_NMCLI_DIR/$verb.exit" 2>/dev/null || echo 0)"
)SH";

const std::string uuidA = "11111111-1111-4111-8111-111111111111";
const std::string uuidB = "33333333-3333-4333-8333-333333333333";
const std::string listCall = "-t -f UUID,NAME connection show";

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

    void expectNoSecretOnAnyArgv(const Words& secrets) const {
        for (const auto& secret : secrets) {
            EXPECT_FALSE(contains(slurp(root / "calls"), secret)) << "a secret on nmcli's argv";
        }
    }

    fs::path root;
    std::string path;
};

// The keyfile's other lines and the calls of a plain run are checked by the
// whole road in tests/e2e.
TEST_F(NetworkTools, CreateWritesAPrivateKeyfileAndKeepsSecretsOffArgv) {
    const auto done = run(MACOSVPN, createArgs(" pa,ss\\word, ", "0sNotBase64"));
    ASSERT_EQ(done.exitCode, 0) << done.err;

    const fs::path file = keyfiles() / "Tidewaterlink.nmconnection";
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const std::string text = slurp(file);
    for (const char* line :
         {"\npassword=\\spa,ss\\\\word,\\s\n",    // blanks at the ends, backslash
          "\nipsec-psk=0sMHNOb3RCYXNlNjQ=\n"}) {  // encoded, not taken as encoded
        EXPECT_TRUE(contains(text, line)) << line << " in:\n" << text;
    }
    expectNoSecretOnAnyArgv({"pa,ss", "word", "0sNotBase64", "0sMHNOb3RCYXNlNjQ="});
}

// NetworkManager does not keep names unique: --force leaves exactly one.
TEST_F(NetworkTools, ForceReplacesEveryProfileOfTheName) {
    answer("show", 0, uuidA + ":Tidewaterlink\n" + uuidB + ":Tidewaterlink\n");
    // A file of that name that NetworkManager holds for another profile.
    std::ofstream(keyfiles() / "Tidewaterlink.nmconnection") << "[connection]\nid=Other\n";
    ASSERT_EQ(run(MACOSVPN, createArgs()).exitCode, 0);
    EXPECT_EQ(slurp(root / "calls"),
              listCall + "\nconnection delete uuid " + uuidA + "\nconnection delete uuid " + uuidB +
                  "\nconnection load " + (keyfiles() / "Tidewaterlink-1.nmconnection").string() +
                  "\n");
    EXPECT_EQ(slurp(keyfiles() / "Tidewaterlink.nmconnection"), "[connection]\nid=Other\n")
        << "another file is never overwritten";
}

// Each failure is told on stderr, leaves no keyfile and echoes no secret.
TEST_F(NetworkTools, FailuresAreReportedAndLeaveNothingBehind) {
    Words unforced = createArgs();
    unforced.erase(std::find(unforced.begin(), unforced.end(), "--force"));
    struct Row {
        const char* tool;
        Words args;
        std::function<void(NetworkTools&)> arrange;
        int exitCode;
        std::string err;
    };
    const auto none = [](NetworkTools&) {};
    const std::vector<Row> rows{
        {MACOSVPN, unforced,
         [](NetworkTools& t) { t.answer("show", 0, uuidA + ":Tidewaterlink\n"); }, 1,
         "macosvpn: a connection named 'Tidewaterlink' already exists; give --force to replace "
         "it\n"},
        {MACOSVPN, createArgs(),
         [](NetworkTools& t) { t.answer("load", 1, "", "Error: bad file.\n"); }, 1,
         "macosvpn: NetworkManager did not take the connection: nmcli failed (exit status 1): "
         "Error: bad file.\n"},
        {MACOSVPN, createArgs(), [](NetworkTools& t) { t.path = "/nonexistent"; }, 1,
         "macosvpn: nmcli was not found; NetworkManager must be installed\n"},
        {MACOSVPN, createArgs("a\nb"), none, 1,
         "macosvpn: the password contains a control character\n"},
        {NETWORKSETUP,
         {"-connectpppoeservice", "My VPN"},
         [](NetworkTools& t) { t.answer("up", 10); },
         1,
         "networksetup: there is no service named 'My VPN'\n"},
        // Not active is already down.
        {NETWORKSETUP,
         {"-disconnectpppoeservice", "My VPN"},
         [](NetworkTools& t) { t.answer("down", 10); },
         0,
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.err);
        TearDown();
        SetUp();
        row.arrange(*this);
        const auto done = run(row.tool, row.args);
        EXPECT_EQ(done.exitCode, row.exitCode);
        EXPECT_EQ(done.err, row.err);
        EXPECT_TRUE(fs::is_empty(keyfiles()));
        expectNoSecretOnAnyArgv({"s3cret", "psk731"});
    }
}

}  // namespace
}  // namespace twl::tools
