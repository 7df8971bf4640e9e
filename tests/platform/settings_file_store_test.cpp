#include "platform/posix/settings_file_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "app/settings_keys.h"

namespace twl {
namespace {

namespace fs = std::filesystem;

class SettingsFileStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "twl-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        file_ = root_ / "tidewaterlink" / "defaults.json";
    }
    void TearDown() override { fs::remove_all(root_); }

    static mode_t modeOf(const fs::path& path) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
        return info.st_mode & 07777;
    }

    void writeRaw(const std::string& text) {
        fs::create_directories(file_.parent_path());
        std::ofstream(file_) << text;
    }

    std::vector<fs::path> setAside() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(file_.parent_path())) {
            if (entry.path().filename().string().starts_with("defaults.json.unreadable-")) {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    fs::path root_;
    fs::path file_;
};

// Strings and booleans on the whole road are checked in tests/e2e.
TEST_F(SettingsFileStoreTest, OtherTypesReadAsAbsentAndUnknownKeysAreKept) {
    writeRaw(R"({"server_url": 42, "future": [1, 2]})");
    {
        SettingsFileStore store(file_);
        EXPECT_EQ(store.objectForKey(keys::serverUrl), std::nullopt) << "a number is no address";
        store.setObject("true", keys::username);  // a string that looks like a flag
    }
    EXPECT_EQ(SettingsFileStore(file_).objectForKey(keys::username),
              SettingValue{std::string("true")});
    std::ifstream in(file_);
    EXPECT_EQ(nlohmann::json::parse(in)["future"], nlohmann::json::parse("[1, 2]"));
}

// The file holds passwords; its own mode is checked in tests/e2e.
TEST_F(SettingsFileStoreTest, TheFolderIsPrivateFromTheFirstWriteAndStaysSo) {
    SettingsFileStore store(file_);
    store.setObject("secret", keys::userpassword);
    EXPECT_EQ(modeOf(file_.parent_path()), 0700u);
    fs::permissions(file_.parent_path(), fs::perms(0755));
    store.setObject("secret2", keys::userpassword);
    EXPECT_EQ(modeOf(file_.parent_path()), 0700u) << "tightened on the next write";
}

TEST_F(SettingsFileStoreTest, AnUnreadableFileIsSetAsideAndTheStoreStartsEmpty) {
    for (const std::string bad : {"{not json", "[\"an\", \"array\"]", ""}) {
        SCOPED_TRACE(bad);
        writeRaw(bad);
        SettingsFileStore store(file_);
        EXPECT_EQ(store.objectForKey(keys::vpnUserName), std::nullopt);
        const auto aside = setAside();
        ASSERT_EQ(aside.size(), 1u);
        std::ifstream kept(aside.front());
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), bad) << "kept intact";
        fs::remove(aside.front());
    }
}

TEST_F(SettingsFileStoreTest, AWriteThatCannotHappenIsSurvived) {
    // A plain file where the folder should be: no write can succeed, even as root.
    std::ofstream(root_ / "blocked") << "not a folder";
    SettingsFileStore store(root_ / "blocked" / "defaults.json");
    store.setObject("other", keys::username);  // must neither throw nor crash
    EXPECT_EQ(storedString(store, keys::username), "other") << "the running client keeps the value";
}

// A writer killed at any instant leaves a file that parses and holds one of the
// values it wrote, never a torn one.
TEST_F(SettingsFileStoreTest, KilledWriterNeverLeavesATornFile) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> pauseMicros(200, 20000);
    constexpr int kills = 25;
    for (int round = 0; round < kills; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::execl(SETTINGS_WRITER, SETTINGS_WRITER, file_.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pauseMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

        if (!fs::exists(file_)) {
            continue;  // killed before its first write finished
        }
        std::ifstream in(file_);
        const auto saved = nlohmann::json::parse(in, nullptr, false);
        ASSERT_FALSE(saved.is_discarded()) << "torn file after kill " << round;
        ASSERT_TRUE(saved["k"].is_string());
        EXPECT_TRUE(saved["k"].get<std::string>().starts_with("value-"));
        EXPECT_EQ(modeOf(file_), 0600u);
    }
}

}  // namespace
}  // namespace twl
