// The two network tools run for real against a recording fake nmcli found on
// PATH, with a temporary folder as NetworkManager's keyfile folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "child_process.h"
#include "keyfile_reader.h"

namespace twl {
namespace {

namespace fs = std::filesystem;

// Logs each call as one line of arguments separated by \x1f; answers with the
// files <verb>.out, <verb>.err and <verb>.exit of its folder, where verb is
// the first of show, delete, load, up, down among the arguments.
constexpr const char* fakeNmcli = R"SH(#!/bin/sh
dir="$FAKE_NMCLI_DIR"
for a in "$@"; do printf '%s\037' "$a"; done >> "$dir/calls"
printf '\n' >> "$dir/calls"
verb=
for a in "$@"; do
  case "$a" in show|delete|load|up|down) verb=$a; break;; esac
done
[ -f "$dir/$verb.out" ] && cat "$dir/$verb.out"
[ -f "$dir/$verb.err" ] && cat "$dir/$verb.err" >&2
exit "$(cat "$dir/$verb.exit" 2>/dev/null || echo 0)"
)SH";

const std::string oldUuidA = "11111111-1111-4111-8111-111111111111";
const std::string oldUuidB = "33333333-3333-4333-8333-333333333333";

class NetworkTools : public ::testing::Test {
  public:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "twl-tools-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "bin");
        fs::create_directories(keyfiles());
        fs::create_directories(fake());
        std::ofstream(root_ / "bin" / "nmcli") << fakeNmcli;
        fs::permissions(root_ / "bin" / "nmcli", fs::perms::owner_all);
        env_ = {{"PATH", (root_ / "bin").string() + ":/usr/bin:/bin"},
                {"FAKE_NMCLI_DIR", fake().string()},
                {"TIDEWATERLINK_NM_KEYFILE_DIR", keyfiles().string()}};
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path keyfiles() const { return root_ / "system-connections"; }
    fs::path fake() const { return root_ / "nmcli"; }

    void answer(const std::string& verb, int exitCode, const std::string& out = "",
                const std::string& err = "") {
        std::ofstream(fake() / (verb + ".exit")) << exitCode;
        std::ofstream(fake() / (verb + ".out")) << out;
        std::ofstream(fake() / (verb + ".err")) << err;
    }

    testing::ChildResult macosvpn(std::vector<std::string> args) {
        args.insert(args.begin(), MACOSVPN);
        return testing::runChild(args, env_);
    }
    testing::ChildResult networksetup(std::vector<std::string> args) {
        args.insert(args.begin(), NETWORKSETUP);
        return testing::runChild(args, env_);
    }

    static std::vector<std::string> createArgs(const std::string& password = "s3cret",
                                               const std::string& secret = "psk731") {
        return {"create",     "--l2tp", "Tidewaterlink", "--endpoint", "vpn.example.net", "--force",
                "--username", "alice",  "--password",    password,     "--shared-secret", secret};
    }

    // Every nmcli call so far, one list of arguments per call.
    std::vector<std::vector<std::string>> calls() const {
        std::vector<std::vector<std::string>> all;
        std::ifstream log(fake() / "calls");
        std::string line;
        while (std::getline(log, line)) {
            std::vector<std::string> args;
            std::istringstream words(line);
            std::string word;
            while (std::getline(words, word, '\x1f')) {
                args.push_back(word);
            }
            all.push_back(args);
        }
        return all;
    }

    std::vector<fs::path> keyfilesWritten() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(keyfiles())) {
            files.push_back(entry.path());
        }
        return files;
    }

    void expectNoSecretOnAnyArgv(const std::vector<std::string>& secrets) const {
        for (const auto& call : calls()) {
            for (const auto& arg : call) {
                for (const auto& secret : secrets) {
                    EXPECT_EQ(arg.find(secret), std::string::npos) << "secret on nmcli's argv";
                }
            }
        }
    }

    std::map<std::string, std::string> env_;

  private:
    fs::path root_;
};

std::vector<std::string> loadCall(const fs::path& file) {
    return {"connection", "load", file.string()};
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(NetworkTools, CreateWritesAPrivateKeyfileAndHasNetworkManagerLoadIt) {
    const auto run = macosvpn(createArgs());
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const auto files = keyfilesWritten();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "Tidewaterlink.nmconnection");
    struct stat info {};
    ASSERT_EQ(::stat(files[0].c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    const std::string text = slurp(files[0]);
    const std::regex uuidLine(
        "uuid=[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}\n");
    EXPECT_TRUE(std::regex_search(text, uuidLine));
    const auto file = testing::readKeyfile(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->at("connection").at("id"), "Tidewaterlink");
    EXPECT_EQ(file->at("connection").at("autoconnect"), "false");
    EXPECT_EQ(file->at("vpn").at("service-type"), "org.freedesktop.NetworkManager.l2tp");
    EXPECT_EQ(file->at("vpn").at("gateway"), "vpn.example.net");
    EXPECT_EQ(file->at("vpn").at("user"), "alice");
    EXPECT_EQ(file->at("vpn").at("ipsec-enabled"), "yes");
    EXPECT_EQ(file->at("vpn").at("password-flags"), "0");
    EXPECT_EQ(file->at("vpn").at("ipsec-psk-flags"), "0");
    EXPECT_EQ(file->at("vpn-secrets").at("password"), "s3cret");
    EXPECT_EQ(file->at("vpn-secrets").at("ipsec-psk"), "psk731");

    EXPECT_EQ(calls(), (std::vector<std::vector<std::string>>{
                           {"-t", "-f", "UUID,NAME", "connection", "show"}, loadCall(files[0])}));
    expectNoSecretOnAnyArgv({"s3cret", "psk731"});
    EXPECT_TRUE(run.err.empty());
}

TEST_F(NetworkTools, AwkwardSecretsArriveIntactAndNeverOnArgv) {
    const std::string password = " pa,ss\\word, ";
    const std::string secret = "0sNotBase64";
    ASSERT_EQ(macosvpn(createArgs(password, secret)).exitCode, 0);

    const auto files = keyfilesWritten();
    ASSERT_EQ(files.size(), 1u);
    const std::string text = slurp(files[0]);
    EXPECT_NE(text.find("password=\\spa,ss\\\\word,\\s\n"), std::string::npos) << text;
    const auto file = testing::readKeyfile(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->at("vpn-secrets").at("password"), password);
    EXPECT_EQ(file->at("vpn-secrets").at("ipsec-psk"), "0sMHNOb3RCYXNlNjQ=")
        << "a key that begins with 0s is encoded, not taken as encoded";
    expectNoSecretOnAnyArgv({"pa,ss", "0sNotBase64", "0sMHNOb3RCYXNlNjQ="});
}

TEST_F(NetworkTools, WithoutForceAnExistingProfileIsAnError) {
    answer("show", 0, oldUuidA + ":Tidewaterlink\n");
    auto args = createArgs();
    args.erase(std::find(args.begin(), args.end(), "--force"));

    const auto run = macosvpn(args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "macosvpn: a connection named 'Tidewaterlink' already exists; give --force to "
              "replace it\n");
    EXPECT_TRUE(keyfilesWritten().empty());
    EXPECT_EQ(calls().size(), 1u) << "nothing but the listing";
}

TEST_F(NetworkTools, ForceReplacesEveryProfileOfTheNameAndLeavesOne) {
    answer("show", 0,
           oldUuidA + ":Tidewaterlink\n22222222-2222-4222-8222-222222222222:Wired connection 1\n" +
               oldUuidB + ":Tidewaterlink\n");
    ASSERT_EQ(macosvpn(createArgs()).exitCode, 0);

    const auto files = keyfilesWritten();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(calls(), (std::vector<std::vector<std::string>>{
                           {"-t", "-f", "UUID,NAME", "connection", "show"},
                           {"connection", "delete", "uuid", oldUuidA},
                           {"connection", "delete", "uuid", oldUuidB},
                           loadCall(files[0])}));
}

TEST_F(NetworkTools, AKeyfileOfAnotherProfileIsNeverOverwritten) {
    std::ofstream(keyfiles() / "Tidewaterlink.nmconnection") << "[connection]\nid=Other\n";
    ASSERT_EQ(macosvpn(createArgs()).exitCode, 0);
    EXPECT_EQ(slurp(keyfiles() / "Tidewaterlink.nmconnection"), "[connection]\nid=Other\n");
    EXPECT_TRUE(fs::exists(keyfiles() / "Tidewaterlink-1.nmconnection"));
}

struct CreateFailure {
    const char* name;
    std::function<void(NetworkTools&)> arrange;
    std::string err;
};

TEST_F(NetworkTools, EachFailureOfCreateIsReportedAndLeavesNoKeyfile) {
    const std::vector<CreateFailure> rows{
        {"network_manager_not_running",
         [](NetworkTools& t) {
             t.answer("show", 8, "", "Error: NetworkManager is not running.\n");
         },
         "macosvpn: NetworkManager is not running\n"},
        {"listing_fails",
         [](NetworkTools& t) { t.answer("show", 1, "", "Error: something odd.\n"); },
         "macosvpn: nmcli failed (exit status 1): Error: something odd.\n"},
        {"delete_fails",
         [](NetworkTools& t) {
             t.answer("show", 0, oldUuidA + ":Tidewaterlink\n");
             t.answer("delete", 7, "", "Error: not all connections deleted.\n");
         },
         "macosvpn: cannot remove the old connection " + oldUuidA +
             ": nmcli failed (exit status 7): Error: not all connections deleted.\n"},
        {"load_refused",
         [](NetworkTools& t) { t.answer("load", 1, "", "Error: failed to load.\n"); },
         "macosvpn: NetworkManager did not take the connection: nmcli failed (exit status 1): "
         "Error: failed to load.\n"},
        {"nmcli_missing", [](NetworkTools& t) { t.env_["PATH"] = "/nonexistent"; },
         "macosvpn: nmcli was not found; NetworkManager must be installed\n"},
        {"keyfile_folder_missing",
         [](NetworkTools& t) { t.env_["TIDEWATERLINK_NM_KEYFILE_DIR"] = "/nonexistent/dir"; },
         "macosvpn: cannot create a file in /nonexistent/dir: No such file or directory\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        row.arrange(*this);
        const auto run = macosvpn(createArgs());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, row.err);
        EXPECT_TRUE(keyfilesWritten().empty());
        expectNoSecretOnAnyArgv({"s3cret", "psk731"});
    }
}

TEST_F(NetworkTools, BadInputIsRefusedBeforeNetworkManagerIsAsked) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows{
        {{"create", "--l2tp", "Tidewaterlink", "--endpoint", "vpn example"},
         "macosvpn: invalid endpoint 'vpn example': give a host name or an IPv4 address "
         "(letters, digits, '.' and '-')\n"},
        {{"create", "--l2tp", "Tidewaterlink", "--endpoint", "h", "--password", "a\nb"},
         "macosvpn: the password contains a control character\n"},
        {{"create", "--l2tp", "Tidewaterlink", "--endpoint", "h", "--frobnicate"},
         "macosvpn: unknown option '--frobnicate'\n"},
        {{"create", "--l2tp", "Tidewaterlink", "--endpoint"},
         "macosvpn: option --endpoint needs a value\n"},
        {{}, "macosvpn: no command given\n"},
    };
    for (const auto& [args, firstLine] : rows) {
        SCOPED_TRACE(firstLine);
        const auto run = macosvpn(args);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_EQ(run.err.substr(0, firstLine.size()), firstLine);
        EXPECT_EQ(run.err.find("a\nb"), std::string::npos) << "a secret was echoed";
    }
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(keyfilesWritten().empty());
}

TEST_F(NetworkTools, NetworksetupStartsAndStopsByNameWithoutWaiting) {
    EXPECT_EQ(networksetup({"-connectpppoeservice", "Tidewaterlink"}).exitCode, 0);
    EXPECT_EQ(networksetup({"-disconnectpppoeservice", "My VPN"}).exitCode, 0);
    EXPECT_EQ(calls(), (std::vector<std::vector<std::string>>{
                           {"--wait", "0", "connection", "up", "id", "Tidewaterlink"},
                           {"--wait", "0", "connection", "down", "id", "My VPN"}}));
}

TEST_F(NetworkTools, NetworksetupOutcomes) {
    struct Row {
        const char* name;
        std::string verb;
        int nmcliExit;
        int exitCode;
        std::string err;
    };
    const std::vector<Row> rows{
        {"up_done", "up", 0, 0, ""},
        {"down_done", "down", 0, 0, ""},
        {"down_when_already_down", "down", 10, 0, ""},
        {"up_unknown_service", "up", 10, 1,
         "networksetup: there is no service named 'Tidewaterlink'\n"},
        {"up_manager_not_running", "up", 8, 1, "networksetup: NetworkManager is not running\n"},
        {"down_manager_not_running", "down", 8, 1, "networksetup: NetworkManager is not running\n"},
        {"up_activation_failed", "up", 4, 1,
         "networksetup: nmcli failed (exit status 4): Error: activation failed.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        answer(row.verb, row.nmcliExit, "Connection successfully activated\n",
               row.nmcliExit == 0 ? "" : "Error: activation failed.\n");
        const auto run =
            networksetup({row.verb == "up" ? "-connectpppoeservice" : "-disconnectpppoeservice",
                          "Tidewaterlink"});
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(run.out, "") << "quiet, as the tool it stands in for";
    }
}

TEST_F(NetworkTools, NetworksetupUsageAndMissingNmcli) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"-connectpppoeservice"},
                                               {"-listallnetworkservices"},
                                               {"-connectpppoeservice", "a", "b"}}) {
        const auto run = networksetup(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("usage: networksetup"), std::string::npos);
    }
    EXPECT_TRUE(calls().empty());

    env_["PATH"] = "/nonexistent";
    const auto run = networksetup({"-connectpppoeservice", "Tidewaterlink"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "networksetup: nmcli was not found; NetworkManager must be installed\n");
}

TEST_F(NetworkTools, AnotherNmcliCanBeNamedInTheToolsOwnEnvironment) {
    fs::rename(fs::path(env_["PATH"].substr(0, env_["PATH"].find(':'))) / "nmcli",
               fake() / "my-nmcli");
    env_["TIDEWATERLINK_NMCLI"] = (fake() / "my-nmcli").string();
    EXPECT_EQ(networksetup({"-connectpppoeservice", "Tidewaterlink"}).exitCode, 0);
    EXPECT_EQ(calls().size(), 1u);
}

// As installed: no folder override, so the keyfile goes to NetworkManager's
// system folder, which exists here only inside a private mount namespace
// (an overlay over /etc whose changes stay in the test's folder).
TEST_F(NetworkTools, WithoutOverrideTheKeyfileGoesToTheSystemFolder) {
    if (::geteuid() != 0 || !testing::haveProgram("unshare")) {
        GTEST_SKIP() << "needs root and unshare to give /etc a private overlay";
    }
    const fs::path upper = fake() / "etc-upper";
    const fs::path work = fake() / "etc-work";
    fs::create_directories(upper);
    fs::create_directories(work);
    env_.erase("TIDEWATERLINK_NM_KEYFILE_DIR");
    const std::string folder = "/etc/NetworkManager/system-connections";
    const std::string script =
        "mount -t overlay overlay -o lowerdir=/etc,upperdir=" + upper.string() +
        ",workdir=" + work.string() + " /etc || exit 77; mkdir -p " + folder + " && " + MACOSVPN +
        " create --l2tp Tidewaterlink --endpoint vpn.example.net --force"
        " --username alice --password s3cret --shared-secret psk731"
        " && stat -c %a " +
        folder + "/Tidewaterlink.nmconnection";
    const auto run = testing::runChild(
        {"unshare", "--mount", "--propagation", "private", "/bin/sh", "-c", script}, env_);
    if (run.exitCode == 77) {
        GTEST_SKIP() << "overlay mounts are not permitted here: " << run.err;
    }
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Created L2TP connection 'Tidewaterlink'\n600\n");
    const fs::path written = upper / "NetworkManager/system-connections/Tidewaterlink.nmconnection";
    EXPECT_TRUE(fs::exists(written));
    EXPECT_EQ(calls().back(), loadCall(folder + "/Tidewaterlink.nmconnection"));
}

}  // namespace
}  // namespace twl
