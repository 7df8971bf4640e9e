#include "vpn/vpn_service.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "platform/posix/posix_script_interpreter.h"
#include "privileged/script_runner.h"
#include "privileged/statement_parser.h"
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

// Values as the user or the store might give them; "{touch}" stands for a
// command that would leave a file behind if any value ran.
struct Values {
    const char* name;
    const char* toolFile;
    std::string server;
    std::string user;
    std::string password;
    std::string adminUser;
    std::string adminPassword;
};

void PrintTo(const Values& values, std::ostream* out) {
    *out << values.name;
}

// The real interpreter and /bin/sh, with a recording stub as the tool (never
// the real one) and, first on the interpreter's PATH, a `sudo` that simply
// runs its arguments.
class ProvisioningThroughTheShell : public ::testing::TestWithParam<Values> {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "twl-create-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        tool = dir / GetParam().toolFile;
        fs::create_directories(tool.parent_path());
        fs::create_directories(dir / "compat");
        std::ofstream(dir / "compat" / "sudo") << "#!/bin/sh\nexec \"$@\"\n";
        std::ofstream(tool)
            << "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\0' \"$a\"; done > '"
            << (dir / "argv").string() << "'\n";
        fs::permissions(dir / "compat" / "sudo", fs::perms::owner_all);
        fs::permissions(tool, fs::perms::owner_all);

        ctx.serverUrl = withTouch(GetParam().server);
        ctx.accountUserName = withTouch(GetParam().user);
        ctx.accountPassword = withTouch(GetParam().password);
        store.setObject(withTouch(GetParam().adminUser), keys::username);
        store.setObject(withTouch(GetParam().adminPassword), keys::userpassword);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string withTouch(std::string value) const {
        const std::string touch = "touch " + (dir / "pwned").string();
        for (auto at = value.find("{touch}"); at != std::string::npos; at = value.find("{touch}")) {
            value.replace(at, 7, touch);
        }
        return value;
    }

    void expectTheToolGotEachValueAsOneWord() {
        EXPECT_FALSE(fs::exists(dir / "pwned")) << "a value ran as a command";
        std::ifstream recorded(dir / "argv", std::ios::binary);
        std::vector<std::string> argv;
        for (std::string word; std::getline(recorded, word, '\0');) {
            argv.push_back(word);
        }
        EXPECT_EQ(argv, (std::vector<std::string>{
                            tool.string(), "create", "--l2tp", "Tidewaterlink", "--endpoint",
                            ctx.serverUrl, "--force", "--username", ctx.accountUserName,
                            "--password", ctx.accountPassword, "--shared-secret", "psk731"}));
    }

    fs::path dir;
    fs::path tool;
    fakes::MemorySettingsStore store;
    testing::RecordingInterpreter recorder;
    AppContext ctx{Services{.settings = &store, .interpreter = &recorder}, Endpoints{}};
};

TEST_P(ProvisioningThroughTheShell, TheCommandGivesTheToolEachValueAsOneWord) {
    createVpnService(ctx, tool.string());
    ASSERT_EQ(recorder.sources.size(), 1u);
    const auto parsed = parseStatement(recorder.sources[0]);
    ASSERT_TRUE(parsed.statement.has_value()) << parsed.error;

    PosixScriptInterpreter shell(dir / "compat");
    const ScriptResult result = shell.execute(plainScript(parsed.statement->command));
    EXPECT_TRUE(result.ok) << result.error;
    expectTheToolGotEachValueAsOneWord();
}

TEST_P(ProvisioningThroughTheShell, ThePrivilegedStatementRunsDirectlyAsRoot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "not root: the privileged statement would need sudo and a real "
                        "administrator's password; the plain run of its command covers the rest";
    }
    PosixScriptInterpreter shell(dir / "compat");
    AppContext rooted{Services{.settings = &store, .interpreter = &shell}, Endpoints{}};
    rooted.serverUrl = ctx.serverUrl;
    rooted.accountUserName = ctx.accountUserName;
    rooted.accountPassword = ctx.accountPassword;

    createVpnService(rooted, tool.string());
    expectTheToolGotEachValueAsOneWord();
}

INSTANTIATE_TEST_SUITE_P(Values, ProvisioningThroughTheShell,
                         ::testing::Values(Values{"ordinary", "share/macosvpn", "vpn.example.net",
                                                  "alice", "s3cret", "admin", "adminpw"},
                                           Values{"hostile", "my tools/mac'os\"vpn $x",
                                                  "vpn.example.net; {touch}", "$({touch})",
                                                  "`{touch}`' \"\\ \n--force", "ad\"min",
                                                  "pw\\\" & {touch}"},
                                           Values{"empty", "share/macosvpn", "", "", "", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace twl
