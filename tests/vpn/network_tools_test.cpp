// What the VPN tool takes from its caller before NetworkManager sees any of it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "l2tp_profile.h"
#include "secret_file.h"

namespace twl::tools {
namespace {

namespace fs = std::filesystem;

TEST(Gateway, IsAHostNameOrAnIpv4Address) {
    const std::string label63(63, 'a');
    const std::string long253 =
        label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    const std::vector<std::pair<std::string, bool>> rows{
        {"vpn.example.net", true},
        {"vpn.example.net.", true},
        {"VPN-1.example", true},
        {"203.0.113.7", true},
        {label63 + ".example", true},
        {long253, true},
        {"", false},
        {"-vpn.example.net", false},
        {"vpn-.example.net", false},
        {"vpn..example.net", false},
        {"vpn example.net", false},
        {"vpn.example.net/x", false},
        {"vpn_1.example.net", false},
        {label63 + "a.example", false},
        {long253 + "b", false},
        {"203.0.113", false},
        {"203.0.113.256", false},
        {"203.0.113.07", false},
        {"2001:db8::1", false},  // the L2TP plugin takes no IPv6 literal
    };
    for (const auto& [gateway, valid] : rows) {
        EXPECT_EQ(isValidGateway(gateway), valid) << "'" << gateway << "'";
    }
}

class SecretFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "twl-secret-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path write(const std::string& name, const std::string& text, mode_t mode = 0600) const {
        std::ofstream(folder / name) << text;
        ::chmod((folder / name).c_str(), mode);
        return folder / name;
    }

    fs::path folder;
};

TEST_F(SecretFileTest, TakesTheContentLessOneLineBreak) {
    for (const auto& [text, value] : std::vector<std::pair<std::string, std::string>>{
             {"s3cret", "s3cret"}, {"s3cret\n", "s3cret"}, {" a\n\n", " a\n"}, {"", ""}}) {
        auto read = readSecretFile(write("secret", text), "the password file");
        ASSERT_TRUE(std::holds_alternative<SecretFile>(read)) << std::get<std::string>(read);
        EXPECT_EQ(std::get<SecretFile>(read).value, value);
        EXPECT_EQ(std::get<SecretFile>(read).owner, ::getuid());
    }
}

// Only a file that its owner alone could have written is taken.
TEST_F(SecretFileTest, RefusesWhatIsNotAPrivateSmallFile) {
    const fs::path good = write("good", "s3cret");
    fs::create_symlink(good, folder / "link");
    fs::create_directory(folder / "folder");
    ::chmod((folder / "folder").c_str(), 0600);
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const std::vector<std::pair<fs::path, std::string>> rows{
        {folder / "link", "is a symbolic link"},
        {write("shared", "s3cret", 0644), "(mode 0600)"},
        {write("readonly", "s3cret", 0400), "(mode 0600)"},
        {write("large", std::string(secretFileLimit + 1, 'x')), "is larger than 4096 bytes"},
        {folder / "folder", "is not a regular file"},
        {folder / "fifo", "is not a regular file"},
        {folder / "missing", "cannot open"},
    };
    for (const auto& [path, why] : rows) {
        const auto read = readSecretFile(path, "the password file");
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << path;
        EXPECT_NE(std::get<std::string>(read).find(why), std::string::npos)
            << std::get<std::string>(read);
        EXPECT_EQ(std::get<std::string>(read).find("s3cret"), std::string::npos);
    }
}

}  // namespace
}  // namespace twl::tools
