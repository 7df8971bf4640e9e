#include "platform/posix/settings_file_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "app/settings_keys.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;

class SettingsFileStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(root_.path().empty()); }

    static mode_t modeOf(const fs::path& path) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
        return info.st_mode & 07777;
    }

    std::string onDisk() const { return test_support::readFile(file_); }

    void writeRaw(const std::string& text) const {
        fs::create_directories(file_.parent_path());
        std::ofstream(file_) << text;
    }

    test_support::TempFolder root_;
    fs::path file_ = root_ / "tidewaterlink" / "defaults.json";
};

TEST_F(SettingsFileStoreTest, OtherTypesReadAsAbsentUnknownKeysAreKeptAndTheFolderIsPrivate) {
    writeRaw(R"({"server_url": 42, "future": [1, 2]})");
    fs::permissions(file_.parent_path(), fs::perms(0755));
    {
        SettingsFileStore store(file_);
        EXPECT_EQ(store.objectForKey(keys::serverUrl), std::nullopt) << "a number is no address";
        store.setObject("true", keys::username);  // a string that looks like a flag
    }
    EXPECT_EQ(modeOf(file_.parent_path()), 0700u) << "tightened on the next write";
    EXPECT_EQ(SettingsFileStore(file_).objectForKey(keys::username),
              SettingValue{std::string("true")});
    EXPECT_EQ(nlohmann::json::parse(onDisk())["future"], nlohmann::json::parse("[1, 2]"));

    // A plain file where the folder should be: no write can succeed, even as root.
    std::ofstream(root_ / "blocked") << "not a folder";
    SettingsFileStore blocked(root_ / "blocked" / "defaults.json");
    blocked.setObject("other", keys::username);  // must neither throw nor crash
    EXPECT_EQ(storedString(blocked, keys::username), "other") << "kept in memory";
}

TEST_F(SettingsFileStoreTest, AnUnreadableFileIsSetAsideAndTheStoreStartsEmpty) {
    const std::string deep = std::string(100'000, '[') + std::string(100'000, ']');
    for (const std::string& bad : {std::string("{not json"), std::string("[\"an\", \"array\"]"),
                                   std::string(), "{\"k\": " + deep + "}"}) {
        SCOPED_TRACE(bad.substr(0, 20));
        writeRaw(bad);
        SettingsFileStore store(file_);
        EXPECT_EQ(store.objectForKey(keys::vpnUserName), std::nullopt);
        std::vector<fs::path> aside;
        for (const auto& entry : fs::directory_iterator(file_.parent_path())) {
            if (entry.path().filename().string().starts_with("defaults.json.unreadable-")) {
                aside.push_back(entry.path());
            }
        }
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(test_support::readFile(aside.front()), bad) << "kept intact";
        fs::remove(aside.front());
    }
}

// Its mode, say, keeps the user out, while the client runs or from the start:
// the stored values are never written over, and a new start sets them aside.
TEST_F(SettingsFileStoreTest, AFileThatCannotBeOpenedIsSetAsideNotWrittenOver) {
    const std::string stored = R"({"server_url": "kept.example"})";
    writeRaw(stored);
    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();  // root opens anything
    for (const fs::path& path : {root_.path(), file_.parent_path(), file_}) {
        ASSERT_EQ(::chown(path.c_str(), user, user), 0);
    }
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        if (::setgid(user) == 0 && ::setuid(user) == 0) {
            SettingsFileStore running(file_);
            ::chmod(file_.c_str(), 0);
            running.setObject("new.example", keys::serverUrl);
            SettingsFileStore(file_).setObject("later", keys::username);
        }
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(writer, nullptr, 0), writer);
    std::vector<std::string> texts;
    for (const auto& entry : fs::directory_iterator(file_.parent_path())) {
        fs::permissions(entry.path(), fs::perms::owner_read, fs::perm_options::add);
        texts.push_back(test_support::readFile(entry.path()));
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), stored), texts.end());
    EXPECT_EQ(nlohmann::json::parse(onDisk()).value("username", ""), "later");
}

// Another session of the same user writes between this one's load and write.
TEST_F(SettingsFileStoreTest, TwoClientsWritingInTurnLoseNothing) {
    SettingsFileStore mine(file_);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        SettingsFileStore(file_).setObject("theirs.example", keys::serverUrl);
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(other, nullptr, 0), other);
    mine.setObject("admin", keys::username);
    mine.setBool(true, keys::autoLogin);

    const SettingsFileStore after(file_);
    EXPECT_EQ(storedString(after, keys::serverUrl), "theirs.example");
    EXPECT_EQ(storedString(after, keys::username), "admin");
    EXPECT_EQ(after.objectForKey(keys::autoLogin), SettingValue{true});
    EXPECT_EQ(storedString(mine, keys::serverUrl), "theirs.example") << "seen at the write";
}

// Settings planted by someone else would send the credentials to their server.
TEST_F(SettingsFileStoreTest, OnlyTheUsersOwnFolderAndFileAreRead) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a file to another user";
    }
    constexpr uid_t nobody = 65534;
    const std::string planted = R"({"server_url": "evil.example"})";
    for (const bool folderIsTheirs : {true, false}) {
        SCOPED_TRACE(folderIsTheirs ? "their folder" : "their file in our folder");
        writeRaw(planted);
        ASSERT_EQ(::chown((folderIsTheirs ? file_.parent_path() : file_).c_str(), nobody, nobody),
                  0);
        SettingsFileStore store(file_);
        EXPECT_EQ(store.objectForKey(keys::serverUrl), std::nullopt);
        store.setObject("mine.example", keys::serverUrl);
        EXPECT_EQ(storedString(store, keys::serverUrl), "mine.example") << "kept in memory";
        EXPECT_EQ(onDisk(), planted) << "not written";
        fs::remove_all(file_.parent_path());
    }
    // Ours, but writable by the group: tightened, then read.
    writeRaw(planted);
    fs::permissions(file_, fs::perms(0664));
    fs::permissions(file_.parent_path(), fs::perms(0775));
    EXPECT_EQ(storedString(SettingsFileStore(file_), keys::serverUrl), "evil.example");
    EXPECT_EQ(modeOf(file_), 0600u);
    EXPECT_EQ(modeOf(file_.parent_path()), 0700u);
}

TEST(SettingsFileStorePath, WithoutHomeTheHomeFolderComesFromThePasswordDatabase) {
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
        if (const char* value = std::getenv(name)) {
            saved.emplace_back(name, value);
        }
        ::unsetenv(name);
    }
    const fs::path path = SettingsFileStore::defaultPath();
    for (const auto& [name, value] : saved) {
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    EXPECT_FALSE(path.string().starts_with(fs::temp_directory_path().string())) << path;
    EXPECT_EQ(path.filename(), "defaults.json");
    EXPECT_EQ(path.parent_path().parent_path().filename(), ".config");
}

// A writer killed at any instant leaves a file that parses and holds one of the
// values it wrote, never a torn or a missing one.
TEST_F(SettingsFileStoreTest, KilledWriterNeverLeavesATornFile) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> pauseMicros(200, 20000);
    bool written = false;
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SettingsFileStore store(file_);
            for (long n = 0;; ++n) {
                store.setObject("value-" + std::to_string(n) + std::string(512, 'x'), "k");
                store.setBool(n % 2 == 0, "flag");
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pauseMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
        if (!fs::exists(file_)) {
            ASSERT_FALSE(written) << "the file went missing after kill " << round;
            continue;  // killed before the first write finished
        }
        written = true;
        const auto saved = nlohmann::json::parse(onDisk(), nullptr, false);
        ASSERT_FALSE(saved.is_discarded()) << "torn file after kill " << round;
        ASSERT_TRUE(saved["k"].is_string());
        EXPECT_TRUE(saved["k"].get<std::string>().starts_with("value-"));
        EXPECT_EQ(modeOf(file_), 0600u);
    }
}

}  // namespace
}  // namespace twl
