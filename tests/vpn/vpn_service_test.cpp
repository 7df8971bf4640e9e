#include "vpn/vpn_service.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "fakes/recording_script_interpreter.h"
#include "platform/posix/posix_script_interpreter.h"
#include "privileged/script_runner.h"
#include "privileged/statement_parser.h"

namespace twl {
namespace {

namespace fs = std::filesystem;

class CreateVpnService : public ::testing::Test {
  protected:
    fakes::MemorySettingsStore store;
    fakes::RecordingScriptInterpreter interpreter;
    AppContext ctx{Services{.settings = &store, .interpreter = &interpreter},
                   Endpoints{"", "", "vpn.example.net", ""}};
};

TEST_F(CreateVpnService, TheStatementWithTheStoredPairOrEmptyCredentials) {
    store.setBool(true, keys::userpassword);  // altered from outside: not a string
    createVpnService(ctx, "/t/macosvpn");     // and no user name at all

    store.setObject("admin", keys::username);
    store.setObject("adminpw", keys::userpassword);
    ctx.accountUserName = "alice";
    ctx.accountPassword = "s3cret";
    createVpnService(ctx, "/opt/twl/share/tidewaterlink/macosvpn");

    EXPECT_EQ(interpreter.sources,
              (std::vector<std::string>{
                  "do shell script \"sudo /t/macosvpn create --l2tp Tidewaterlink --endpoint "
                  "vpn.example.net --force --username '' --password '' --shared-secret psk731\" "
                  "user name \"\" password \"\" with administrator privileges",
                  "do shell script \"sudo /opt/twl/share/tidewaterlink/macosvpn create --l2tp "
                  "Tidewaterlink --endpoint vpn.example.net --force --username alice --password "
                  "s3cret --shared-secret psk731\" user name \"admin\" password \"adminpw\" with "
                  "administrator privileges"}));
}

// The real interpreter and /bin/sh, with a recording stub as the tool (never
// the real one) and, first on the interpreter's PATH, a `sudo` that simply
// runs its arguments.
TEST_F(CreateVpnService, HostileValuesReachTheToolAsOneWordEachAndRunNothing) {
    std::string pattern = (fs::temp_directory_path() / "twl-create-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const fs::path tool = dir / "my tools" / "mac'os\"vpn $x";
    fs::create_directories(tool.parent_path());
    fs::create_directories(dir / "compat");
    std::ofstream(dir / "compat" / "sudo") << "#!/bin/sh\nexec \"$@\"\n";
    std::ofstream(tool) << "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\0' \"$a\"; done > '"
                        << (dir / "argv").string() << "'\n";
    fs::permissions(dir / "compat" / "sudo", fs::perms::owner_all);
    fs::permissions(tool, fs::perms::owner_all);

    const std::string touch = "touch " + (dir / "pwned").string();
    ctx.serverUrl = "vpn.example.net; " + touch;
    ctx.accountUserName = "$(" + touch + ")";
    ctx.accountPassword = "`" + touch + "`' \"\\ \n--force";
    store.setObject("ad\"min", keys::username);
    store.setObject("pw\\\" & " + touch, keys::userpassword);

    createVpnService(ctx, tool.string());
    ASSERT_EQ(interpreter.sources.size(), 1u);
    const auto parsed = parseStatement(interpreter.sources[0]);
    ASSERT_TRUE(parsed.statement.has_value()) << parsed.error;
    EXPECT_EQ(parsed.statement->administrator->password, "pw\\\" & " + touch);
    const ScriptResult result =
        PosixScriptInterpreter(dir / "compat").execute(plainScript(parsed.statement->command));
    EXPECT_TRUE(result.ok) << result.error;

    EXPECT_FALSE(fs::exists(dir / "pwned")) << "a value ran as a command";
    std::ifstream recorded(dir / "argv", std::ios::binary);
    std::vector<std::string> argv;
    for (std::string word; std::getline(recorded, word, '\0');) {
        argv.push_back(word);
    }
    EXPECT_EQ(argv, (std::vector<std::string>{tool.string(), "create", "--l2tp", "Tidewaterlink",
                                              "--endpoint", ctx.serverUrl, "--force", "--username",
                                              ctx.accountUserName, "--password",
                                              ctx.accountPassword, "--shared-secret", "psk731"}));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace twl
