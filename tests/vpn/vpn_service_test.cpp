#include "vpn/vpn_service.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "child_command.h"
#include "fakes/memory_settings_store.h"
#include "recording_interpreter.h"

namespace twl {
namespace {

namespace fs = std::filesystem;

class CreateVpnService : public ::testing::Test {
  protected:
    fakes::MemorySettingsStore store;
    testing::RecordingInterpreter interpreter;
    AppContext ctx{Services{.settings = &store, .interpreter = &interpreter},
                   Endpoints{"", "", "vpn.example.net", ""}};
};

TEST_F(CreateVpnService, OrdinaryValuesGiveTheUsualStatement) {
    store.setObject("admin", keys::username);
    store.setObject("adminpw", keys::userpassword);
    ctx.accountUserName = "alice";
    ctx.accountPassword = "s3cret";

    createVpnService(ctx, "/opt/twl/share/tidewaterlink/macosvpn");

    EXPECT_EQ(interpreter.sources,
              std::vector<std::string>{
                  "do shell script \"sudo /opt/twl/share/tidewaterlink/macosvpn create --l2tp "
                  "Tidewaterlink --endpoint vpn.example.net --force --username alice --password "
                  "s3cret --shared-secret psk731\" user name \"admin\" password \"adminpw\" with "
                  "administrator privileges"});
}

TEST_F(CreateVpnService, MissingOrMistypedAdministratorPairRunsWithEmptyCredentials) {
    store.setBool(true, keys::userpassword);  // altered from outside: not a string
    createVpnService(ctx, "/t/macosvpn");

    EXPECT_EQ(interpreter.sources,
              std::vector<std::string>{
                  "do shell script \"sudo /t/macosvpn create --l2tp Tidewaterlink --endpoint "
                  "vpn.example.net --force --username '' --password '' --shared-secret psk731\" "
                  "user name \"\" password \"\" with administrator privileges"});
    EXPECT_EQ(store.writtenKeys().size(), 1u) << "the step stores nothing";
}

// The shell command the statement carries: its first string literal, with the
// statement's escapes undone.
std::string shellCommandOf(const std::string& source) {
    std::string command;
    for (std::size_t i = std::string("do shell script \"").size(); source.at(i) != '"'; ++i) {
        char c = source[i];
        if (c == '\\') {
            c = source.at(++i);
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        command += c;
    }
    return command;
}

// Runs the command under /bin/sh with a `sudo` that simply runs its arguments
// and a recording stub as the tool, never the real one.
TEST_F(CreateVpnService, HostileValuesReachTheToolAsSingleWordsAndRunNothing) {
    std::string pattern = (fs::temp_directory_path() / "twl-create-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "my tools");
    const fs::path stub = dir / "my tools" / "mac'os\"vpn $x";
    std::ofstream(dir / "bin" / "sudo") << "#!/bin/sh\nexec \"$@\"\n";
    std::ofstream(stub) << "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\0' \"$a\"; done > '"
                        << (dir / "argv").string() << "'\n";
    fs::permissions(dir / "bin" / "sudo", fs::perms::owner_all);
    fs::permissions(stub, fs::perms::owner_all);

    const std::string touch = "touch " + (dir / "pwned").string();
    ctx.serverUrl = "vpn.example.net; " + touch;
    ctx.accountUserName = "$(" + touch + ")";
    ctx.accountPassword = "`" + touch + "`' \"\\ \n--force";
    store.setObject("ad\"min", keys::username);
    store.setObject("pw\\\" & " + touch, keys::userpassword);

    createVpnService(ctx, stub.string());
    ASSERT_EQ(interpreter.sources.size(), 1u);
    const auto shell = tools::runCommand({"/bin/sh", "-c", shellCommandOf(interpreter.sources[0])},
                                         {"PATH=" + (dir / "bin").string() + ":/usr/bin:/bin"});
    EXPECT_EQ(shell.exitCode, 0) << shell.err;

    EXPECT_FALSE(fs::exists(dir / "pwned")) << "a value ran as a command";
    std::ifstream recorded(dir / "argv", std::ios::binary);
    std::vector<std::string> argv;
    for (std::string word; std::getline(recorded, word, '\0');) {
        argv.push_back(word);
    }
    EXPECT_EQ(argv, (std::vector<std::string>{stub.string(), "create", "--l2tp", "Tidewaterlink",
                                              "--endpoint", ctx.serverUrl, "--force", "--username",
                                              ctx.accountUserName, "--password",
                                              ctx.accountPassword, "--shared-secret", "psk731"}));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace twl
