#include "l2tp_profile.h"

#include <gtest/gtest.h>

#include "create_command.h"

namespace twl::tools {
namespace {

L2tpProfile ordinaryProfile() {
    return L2tpProfile{"Tidewaterlink",   "0f8fad5b-d9cb-469f-a165-70867728950e",
                       "vpn.example.net", "alice",
                       "s3cret",          "psk731"};
}

TEST(L2tpKeyfile, OrdinaryProfileReadsAsNetworkManagerExpects) {
    EXPECT_EQ(keyfileText(ordinaryProfile()),
              "[connection]\nid=Tidewaterlink\nuuid=0f8fad5b-d9cb-469f-a165-70867728950e\n"
              "type=vpn\nautoconnect=false\n"
              "\n[vpn]\nservice-type=org.freedesktop.NetworkManager.l2tp\n"
              "gateway=vpn.example.net\nuser=alice\npassword-flags=0\nipsec-enabled=yes\n"
              "machine-auth-type=psk\nipsec-psk-flags=0\n"
              "\n[vpn-secrets]\npassword=s3cret\nipsec-psk=psk731\n"
              "\n[ipv4]\nmethod=auto\n\n[ipv6]\nmethod=auto\n");
}

TEST(L2tpKeyfile, ValuesAreEscapedAsKeyfilesRequire) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"a,b,,c;k=v", "a,b,,c;k=v"},    // nothing special in a single value
        {"a\\b\\\\", "a\\\\b\\\\\\\\"},  // backslashes doubled
        {"  a b  ", "\\s\\sa b\\s\\s"},  // blanks at the ends survive reading
        {"   ", "\\s\\s\\s"},            //
        {"a\nb\tc\r", "a\\nb\\tc\\r"},   //
        {"#[x] \"q\" pässwörd", "#[x] \"q\" pässwörd"},
    };
    for (const auto& [value, escaped] : rows) {
        EXPECT_EQ(escapeKeyfileValue(value), escaped);
    }
}

TEST(L2tpKeyfile, AKeyThatLooksEncodedIsEncodedAndOthersAreKept) {
    EXPECT_EQ(storedPresharedKey("psk731"), "psk731");
    EXPECT_EQ(storedPresharedKey("0x1234"), "0x1234");
    EXPECT_EQ(storedPresharedKey("0s"), "0sMHM=");
    EXPECT_EQ(storedPresharedKey("0sSecret"), "0sMHNTZWNyZXQ=");
    EXPECT_EQ(base64("\xff\xfe\xfd"
                     "fo"),
              "//79Zm8=");
}

TEST(L2tpKeyfile, RefusesWhatNetworkManagerWouldRefuse) {
    const std::string endpointRule =
        "': give a host name or an IPv4 address (letters, digits, '.' and '-')";
    const std::vector<std::pair<void (*)(L2tpProfile&), std::string>> rows{
        {[](L2tpProfile&) {}, ""},
        {[](L2tpProfile& p) { p.gateway = "203.0.113.7"; }, ""},
        {[](L2tpProfile& p) { p.user = p.password = ""; }, ""},
        {[](L2tpProfile& p) { p.name = ""; }, "the connection name is empty"},
        {[](L2tpProfile& p) { p.name = "a\nb"; },
         "the connection name contains a control character"},
        {[](L2tpProfile& p) { p.gateway = ""; }, "invalid endpoint '" + endpointRule},
        {[](L2tpProfile& p) { p.gateway = "vpn:1701"; },
         "invalid endpoint 'vpn:1701" + endpointRule},
        {[](L2tpProfile& p) { p.gateway = "a b;c"; }, "invalid endpoint 'a b;c" + endpointRule},
        {[](L2tpProfile& p) { p.user = "a\tb"; }, "the user name contains a control character"},
        {[](L2tpProfile& p) { p.password = "pw\x7f"; },
         "the password contains a control character"},
        {[](L2tpProfile& p) { p.password = "pw\xff"; }, "the password is not valid UTF-8 text"},
        {[](L2tpProfile& p) { p.sharedSecret = std::string("k\0k", 3); },
         "the shared secret contains a control character"},
    };
    for (const auto& [change, problem] : rows) {
        L2tpProfile profile = ordinaryProfile();
        change(profile);
        EXPECT_EQ(profileProblem(profile).value_or(""), problem);
    }
}

TEST(CreateArguments, TheClientsCommandLineAndItsMistakes) {
    const auto parsed = parseCreateArguments(
        {"create", "--l2tp", "Tidewaterlink", "--endpoint", "vpn.example.net", "--force",
         "--username", "alice", "--password", "--force", "--shared-secret", "psk731"});
    ASSERT_TRUE(std::holds_alternative<CreateRequest>(parsed));
    const auto& request = std::get<CreateRequest>(parsed);
    EXPECT_TRUE(request.force);
    EXPECT_EQ(request.profile.gateway, "vpn.example.net");
    EXPECT_EQ(request.profile.password, "--force") << "the word after an option is its value";
    EXPECT_EQ(request.profile.sharedSecret, "psk731");

    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes{
        {{}, "no command given"},
        {{"delete", "--l2tp", "n"}, "unknown command 'delete'"},
        {{"create", "--l2tp", "n", "--endpoint", "h", "--split"}, "unknown option '--split'"},
        {{"create", "--l2tp", "n", "--endpoint", "h", "--password"},
         "option --password needs a value"},
        {{"create", "--endpoint", "h"}, "--l2tp NAME is required"},
        {{"create", "--l2tp", "n"}, "--endpoint HOST is required"},
    };
    for (const auto& [args, message] : mistakes) {
        const auto wrong = parseCreateArguments(args);
        ASSERT_TRUE(std::holds_alternative<UsageError>(wrong)) << message;
        EXPECT_EQ(std::get<UsageError>(wrong).message, message);
    }
}

TEST(CreateArguments, TerseListingFindsEveryProfileOfTheNameOnly) {
    const std::string listing =
        "11111111-1111-4111-8111-111111111111:Tidewaterlink\n"
        "22222222-2222-4222-8222-222222222222:Wired connection 1\n"
        "33333333-3333-4333-8333-333333333333:Tidewaterlink\n"
        "44444444-4444-4444-8444-444444444444:Tidewaterlink\\:old\n";
    EXPECT_EQ(connectionsNamed(listing, "Tidewaterlink"),
              (std::vector<std::string>{"11111111-1111-4111-8111-111111111111",
                                        "33333333-3333-4333-8333-333333333333"}));
    EXPECT_EQ(connectionsNamed(listing, "Tidewaterlink:old"),
              (std::vector<std::string>{"44444444-4444-4444-8444-444444444444"}));
}

}  // namespace
}  // namespace twl::tools
