#include "vpn/vpn_service.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "recording_interpreter.h"

extern char** environ;

namespace twl {
namespace {

namespace fs = std::filesystem;

class CreateVpnService : public ::testing::Test {
  protected:
    CreateVpnService()
        : ctx(Services{.settings = &store, .interpreter = &interpreter},
              Endpoints{"", "", "vpn.example.net", ""}) {}

    fakes::MemorySettingsStore store;
    testing::RecordingInterpreter interpreter;
    AppContext ctx;
};

TEST_F(CreateVpnService, OrdinaryValuesGiveTheUsualStatement) {
    store.setObject("admin", keys::username);
    store.setObject("adminpw", keys::userpassword);
    ctx.accountUserName = "alice";
    ctx.accountPassword = "s3cret";

    createVpnService(ctx, "/opt/twl/share/tidewaterlink/macosvpn");

    ASSERT_EQ(interpreter.sources.size(), 1u);
    EXPECT_EQ(interpreter.sources[0],
              "do shell script \"sudo /opt/twl/share/tidewaterlink/macosvpn create --l2tp "
              "Tidewaterlink --endpoint vpn.example.net --force --username alice --password "
              "s3cret --shared-secret psk731\" user name \"admin\" password \"adminpw\" with "
              "administrator privileges");
}

TEST_F(CreateVpnService, UsesTheValuesOfTheMomentEachTime) {
    store.setObject("admin", keys::username);
    store.setObject("adminpw", keys::userpassword);
    ctx.accountUserName = "alice";
    ctx.accountPassword = "one";
    createVpnService(ctx, "/t/macosvpn");

    // Signed out and in as another account, with another server chosen.
    ctx.accountUserName = "bob";
    ctx.accountPassword = "two";
    ctx.serverUrl = "10.0.0.1";
    store.setObject("root2", keys::username);
    createVpnService(ctx, "/t/macosvpn");

    ASSERT_EQ(interpreter.sources.size(), 2u);
    EXPECT_NE(interpreter.sources[0].find("--username alice --password one"), std::string::npos);
    EXPECT_NE(interpreter.sources[1].find("--endpoint 10.0.0.1 --force --username bob "
                                          "--password two "),
              std::string::npos);
    EXPECT_NE(interpreter.sources[1].find("user name \"root2\""), std::string::npos);
}

TEST_F(CreateVpnService, MissingOrMistypedAdministratorPairRunsWithEmptyCredentials) {
    store.setBool(true, keys::userpassword);  // altered from outside: not a string
    createVpnService(ctx, "/t/macosvpn");

    ASSERT_EQ(interpreter.sources.size(), 1u);
    EXPECT_EQ(interpreter.sources[0],
              "do shell script \"sudo /t/macosvpn create --l2tp Tidewaterlink --endpoint "
              "vpn.example.net --force --username '' --password '' --shared-secret psk731\" "
              "user name \"\" password \"\" with administrator privileges");
    EXPECT_EQ(store.writtenKeys().size(), 1u) << "the step stores nothing";
}

// The shell command as the statement carries it: the first string literal,
// with the statement's escapes undone.
std::string shellCommandOf(const std::string& source) {
    const std::string opening = "do shell script \"";
    std::string command;
    for (std::size_t i = opening.size(); i < source.size(); ++i) {
        char c = source[i];
        if (c == '"') {
            return command;
        }
        if (c == '\\') {
            c = source[++i];
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        command += c;
    }
    ADD_FAILURE() << "unterminated command in " << source;
    return command;
}

int runShell(const std::string& command, const std::string& path) {
    const std::string pathVariable = "PATH=" + path;
    char* const env[] = {const_cast<char*>(pathVariable.c_str()), nullptr};
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), env) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> nulSeparated(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> words;
    std::string word;
    while (std::getline(in, word, '\0')) {
        words.push_back(word);
    }
    return words;
}

// Runs the command the client builds under /bin/sh, with a `sudo` that simply
// runs its arguments and a recording stub as the tool, never the real one.
TEST_F(CreateVpnService, HostileValuesReachTheToolAsSingleWordsAndRunNothing) {
    std::string pattern = (fs::temp_directory_path() / "twl-create-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const fs::path bin = dir / "bin";
    const fs::path tools = dir / "my tools";
    fs::create_directories(bin);
    fs::create_directories(tools);
    std::ofstream(bin / "sudo") << "#!/bin/sh\nexec \"$@\"\n";
    const fs::path stub = tools / "mac'os\"vpn $x";
    std::ofstream(stub) << "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\0' \"$a\"; done > "
                        << (dir / "argv").string() << "\n";
    fs::permissions(bin / "sudo", fs::perms::owner_all);
    fs::permissions(stub, fs::perms::owner_all);

    const fs::path pwned = dir / "pwned";
    const std::string touch = "touch " + pwned.string();
    ctx.serverUrl = "vpn.example.net; " + touch;
    ctx.accountUserName = "$(" + touch + ")";
    ctx.accountPassword = "`" + touch + "`' \"\\ \n--force";
    store.setObject("ad\"min", keys::username);
    store.setObject("pw\\\" & " + touch, keys::userpassword);

    createVpnService(ctx, stub.string());
    ASSERT_EQ(interpreter.sources.size(), 1u);
    EXPECT_EQ(runShell(shellCommandOf(interpreter.sources[0]), bin.string() + ":/usr/bin:/bin"), 0);

    EXPECT_FALSE(fs::exists(pwned)) << "a value ran as a command";
    EXPECT_EQ(
        nulSeparated(dir / "argv"),
        (std::vector<std::string>{stub.string(), "create", "--l2tp", "Tidewaterlink", "--endpoint",
                                  ctx.serverUrl, "--force", "--username", ctx.accountUserName,
                                  "--password", ctx.accountPassword, "--shared-secret", "psk731"}));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace twl
