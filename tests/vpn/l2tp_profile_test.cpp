#include "l2tp_profile.h"

#include <gtest/gtest.h>

#include "create_command.h"
#include "keyfile_folder.h"
#include "keyfile_reader.h"

namespace twl::tools {
namespace {

L2tpProfile ordinaryProfile() {
    return L2tpProfile{"Tidewaterlink",   "0f8fad5b-d9cb-469f-a165-70867728950e",
                       "vpn.example.net", "alice",
                       "s3cret",          "psk731"};
}

TEST(L2tpKeyfile, OrdinaryProfileReadsAsNetworkManagerExpects) {
    EXPECT_EQ(keyfileText(ordinaryProfile()),
              "[connection]\n"
              "id=Tidewaterlink\n"
              "uuid=0f8fad5b-d9cb-469f-a165-70867728950e\n"
              "type=vpn\n"
              "autoconnect=false\n"
              "\n[vpn]\n"
              "service-type=org.freedesktop.NetworkManager.l2tp\n"
              "gateway=vpn.example.net\n"
              "user=alice\n"
              "password-flags=0\n"
              "ipsec-enabled=yes\n"
              "machine-auth-type=psk\n"
              "ipsec-psk-flags=0\n"
              "\n[vpn-secrets]\n"
              "password=s3cret\n"
              "ipsec-psk=psk731\n"
              "\n[ipv4]\nmethod=auto\n"
              "\n[ipv6]\nmethod=auto\n");
}

TEST(L2tpKeyfile, WithoutASharedSecretIpsecIsOff) {
    L2tpProfile profile = ordinaryProfile();
    profile.sharedSecret.reset();
    const auto file = testing::readKeyfile(keyfileText(profile));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->at("vpn").at("ipsec-enabled"), "no");
    EXPECT_FALSE(file->at("vpn").contains("ipsec-psk-flags"));
    EXPECT_FALSE(file->at("vpn-secrets").contains("ipsec-psk"));
}

struct EscapeRow {
    const char* name;
    std::string value;
    std::string escaped;
};

void PrintTo(const EscapeRow& row, std::ostream* out) {
    *out << row.name;
}

class KeyfileEscaping : public ::testing::TestWithParam<EscapeRow> {};

TEST_P(KeyfileEscaping, EscapesAndReadsBackUnchanged) {
    EXPECT_EQ(escapeKeyfileValue(GetParam().value), GetParam().escaped);

    L2tpProfile profile = ordinaryProfile();
    profile.user = profile.password = GetParam().value;
    const auto file = testing::readKeyfile(keyfileText(profile));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->at("vpn").at("user"), GetParam().value);
    EXPECT_EQ(file->at("vpn-secrets").at("password"), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, KeyfileEscaping,
    ::testing::Values(EscapeRow{"plain", "alice", "alice"}, EscapeRow{"empty", "", ""},
                      EscapeRow{"commas_stay", "a,b,,c", "a,b,,c"},
                      EscapeRow{"semicolons_and_equals_stay", "k=v;w", "k=v;w"},
                      EscapeRow{"backslashes_doubled", "a\\b\\\\", "a\\\\b\\\\\\\\"},
                      EscapeRow{"inner_blanks_stay", "a b  c", "a b  c"},
                      EscapeRow{"leading_blanks", "  ab", "\\s\\sab"},
                      EscapeRow{"trailing_blanks", "ab  ", "ab\\s\\s"},
                      EscapeRow{"only_blanks", "   ", "\\s\\s\\s"},
                      EscapeRow{"hash_and_brackets", "#[x]", "#[x]"},
                      EscapeRow{"quotes", "it's \"q\"", "it's \"q\""},
                      EscapeRow{"utf8", "pässwörd ✓", "pässwörd ✓"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(L2tpKeyfile, EscapedLineBreaksAndTabsReadBack) {
    EXPECT_EQ(escapeKeyfileValue("a\nb\tc\r"), "a\\nb\\tc\\r");
    EXPECT_EQ(testing::unescapeKeyfileValue("a\\nb\\tc\\r"), "a\nb\tc\r");
}

TEST(PresharedKey, OnlyAKeyThatLooksEncodedIsEncoded) {
    EXPECT_EQ(storedPresharedKey("psk731"), "psk731");
    EXPECT_EQ(storedPresharedKey("0x1234"), "0x1234");
    EXPECT_EQ(storedPresharedKey("0s"), "0sMHM=");
    EXPECT_EQ(storedPresharedKey("0sSecret"), "0sMHNTZWNyZXQ=");
    EXPECT_EQ(storedPresharedKey(""), "");
}

TEST(PresharedKey, Base64MatchesTheStandardAlphabetAndPadding) {
    EXPECT_EQ(base64(""), "");
    EXPECT_EQ(base64("f"), "Zg==");
    EXPECT_EQ(base64("fo"), "Zm8=");
    EXPECT_EQ(base64("foo"), "Zm9v");
    EXPECT_EQ(base64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(base64("\xff\xfe\xfd"), "//79");
}

struct ProblemRow {
    const char* name;
    L2tpProfile profile;
    std::string problem;  // empty: acceptable
};

void PrintTo(const ProblemRow& row, std::ostream* out) {
    *out << row.name;
}

ProblemRow row(const char* name, void (*change)(L2tpProfile&), std::string problem) {
    L2tpProfile profile = ordinaryProfile();
    change(profile);
    return {name, profile, std::move(problem)};
}

class ProfileValidation : public ::testing::TestWithParam<ProblemRow> {};

TEST_P(ProfileValidation, RefusesWhatNetworkManagerWouldRefuse) {
    EXPECT_EQ(profileProblem(GetParam().profile).value_or(""), GetParam().problem);
}

const std::string badEndpoint =
    "': give a host name or an IPv4 address (letters, digits, '.' and '-')";

INSTANTIATE_TEST_SUITE_P(
    Profiles, ProfileValidation,
    ::testing::Values(
        row(
            "ordinary", [](L2tpProfile&) {}, ""),
        row(
            "ipv4_endpoint", [](L2tpProfile& p) { p.gateway = "203.0.113.7"; }, ""),
        row(
            "empty_credentials", [](L2tpProfile& p) { p.user = p.password = ""; }, ""),
        row(
            "empty_name", [](L2tpProfile& p) { p.name = ""; }, "the connection name is empty"),
        row(
            "name_with_line_break", [](L2tpProfile& p) { p.name = "a\nb"; },
            "the connection name contains a control character"),
        row(
            "empty_endpoint", [](L2tpProfile& p) { p.gateway = ""; },
            "invalid endpoint '" + badEndpoint),
        row(
            "endpoint_with_blank", [](L2tpProfile& p) { p.gateway = "vpn example"; },
            "invalid endpoint 'vpn example" + badEndpoint),
        row(
            "endpoint_with_port", [](L2tpProfile& p) { p.gateway = "vpn:1701"; },
            "invalid endpoint 'vpn:1701" + badEndpoint),
        row(
            "endpoint_with_shell", [](L2tpProfile& p) { p.gateway = "a;b"; },
            "invalid endpoint 'a;b" + badEndpoint),
        row(
            "user_with_tab", [](L2tpProfile& p) { p.user = "a\tb"; },
            "the user name contains a control character"),
        row(
            "password_with_line_break", [](L2tpProfile& p) { p.password = "pw\n[x]"; },
            "the password contains a control character"),
        row(
            "password_with_delete", [](L2tpProfile& p) { p.password = "pw\x7f"; },
            "the password contains a control character"),
        row(
            "password_not_utf8", [](L2tpProfile& p) { p.password = "pw\xff"; },
            "the password is not valid UTF-8 text"),
        row(
            "secret_with_nul", [](L2tpProfile& p) { p.sharedSecret = std::string("k\0k", 3); },
            "the shared secret contains a control character")),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyfileBaseName, KeepsSafeCharactersOnly) {
    EXPECT_EQ(keyfileBaseName("Tidewaterlink"), "Tidewaterlink");
    EXPECT_EQ(keyfileBaseName("My VPN/../x"), "My_VPN_.._x");
    EXPECT_EQ(keyfileBaseName(".hidden"), "_.hidden");
    EXPECT_EQ(keyfileBaseName("ü"), "__");
}

TEST(TerseListing, FindsEveryProfileOfTheNameOnly) {
    const std::string listing =
        "11111111-1111-4111-8111-111111111111:Tidewaterlink\n"
        "22222222-2222-4222-8222-222222222222:Wired connection 1\n"
        "33333333-3333-4333-8333-333333333333:Tidewaterlink\n"
        "44444444-4444-4444-8444-444444444444:Tidewaterlink\\:old\n"
        "55555555-5555-4555-8555-555555555555:Tidewaterlink2\n";
    EXPECT_EQ(connectionsNamed(listing, "Tidewaterlink"),
              (std::vector<std::string>{"11111111-1111-4111-8111-111111111111",
                                        "33333333-3333-4333-8333-333333333333"}));
    EXPECT_EQ(connectionsNamed(listing, "Tidewaterlink:old"),
              (std::vector<std::string>{"44444444-4444-4444-8444-444444444444"}));
    EXPECT_TRUE(connectionsNamed("", "Tidewaterlink").empty());
}

TEST(CreateArguments, TheClientsCommandLine) {
    const auto parsed = parseCreateArguments(
        {"create", "--l2tp", "Tidewaterlink", "--endpoint", "vpn.example.net", "--force",
         "--username", "alice", "--password", "--force", "--shared-secret", "psk731"});
    ASSERT_TRUE(std::holds_alternative<CreateRequest>(parsed));
    const auto& request = std::get<CreateRequest>(parsed);
    EXPECT_TRUE(request.force);
    EXPECT_EQ(request.profile.name, "Tidewaterlink");
    EXPECT_EQ(request.profile.gateway, "vpn.example.net");
    EXPECT_EQ(request.profile.user, "alice");
    EXPECT_EQ(request.profile.password, "--force") << "the word after an option is its value";
    EXPECT_EQ(request.profile.sharedSecret, "psk731");
}

TEST(CreateArguments, OptionalPartsMayBeLeftOut) {
    const auto parsed = parseCreateArguments({"create", "--endpoint", "h", "--l2tp", "n"});
    ASSERT_TRUE(std::holds_alternative<CreateRequest>(parsed));
    const auto& request = std::get<CreateRequest>(parsed);
    EXPECT_FALSE(request.force);
    EXPECT_EQ(request.profile.user, "");
    EXPECT_FALSE(request.profile.sharedSecret.has_value());
}

TEST(CreateArguments, UsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows{
        {{}, "no command given"},
        {{"delete", "--l2tp", "n"}, "unknown command 'delete'"},
        {{"create", "--l2tp", "n", "--endpoint", "h", "--split"}, "unknown option '--split'"},
        {{"create", "--l2tp", "n", "--endpoint", "h", "--password"},
         "option --password needs a value"},
        {{"create", "--endpoint", "h"}, "--l2tp NAME is required"},
        {{"create", "--l2tp", "n"}, "--endpoint HOST is required"},
    };
    for (const auto& [args, message] : rows) {
        const auto parsed = parseCreateArguments(args);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << message;
        EXPECT_EQ(std::get<UsageError>(parsed).message, message);
    }
}

}  // namespace
}  // namespace twl::tools
