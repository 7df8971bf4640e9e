#include <gtest/gtest.h>

#include <string>

#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "privileged/shell_quote.h"

namespace twl {
namespace {

struct TextRow {
    const char* name;
    std::string built;
    std::string expected;
};

TEST(ScriptTexts, OrdinaryValuesGiveTheUsualTexts) {
    const std::string tool = "/opt/tidewaterlink/share/tidewaterlink/macosvpn";
    const TextRow rows[] = {
        {"connect", plainScript(commands::connectService()),
         R"(do shell script "networksetup -connectpppoeservice Tidewaterlink")"},
        {"create service",
         privilegedScript(commands::createService(tool, "vpn.example.net", "alice", "s3cret"),
                          "admin", "adminpw"),
         "do shell script \"sudo " + tool +
             " create --l2tp Tidewaterlink --endpoint vpn.example.net --force --username alice"
             " --password s3cret --shared-secret psk731\" user name \"admin\" password "
             "\"adminpw\" with administrator privileges"},
        {"copy tool", privilegedScript(commands::copyTool(tool + ".txt"), "admin", "adminpw"),
         "do shell script \"sudo cp " + tool +
             ".txt /usr/local\" user name \"admin\" password \"adminpw\" with administrator "
             "privileges"},
        {"remove marker", privilegedScript(commands::removeMarker(), "admin", "adminpw"),
         "do shell script \"sudo rm -rf /usr/local/macosvpn.txt\" user name \"admin\" password "
         "\"adminpw\" with administrator privileges"},
        {"empty administrator pair", privilegedScript("true", "", ""),
         R"(do shell script "true" user name "" password "" with administrator privileges)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.built, row.expected) << row.name;
    }
}

TEST(ScriptTexts, StatementStringsEscapeTheirFiveCharacters) {
    EXPECT_EQ(escapeStatementString("a\"b\\c\nd\re\tf"), R"(a\"b\\c\nd\re\tf)");
    EXPECT_EQ(plainScript("echo \"hi\""), R"(do shell script "echo \"hi\"")");
}

TEST(ShellQuote, LeavesPlainWordsAndQuotesTheRest) {
    const std::pair<const char*, const char*> rows[] = {
        {"user@host_1%+=:,./-", "user@host_1%+=:,./-"},
        {"", "''"},
        {"two words", "'two words'"},
        {"it's", "'it'\\''s'"},
        {"$(touch canary)`id`;", "'$(touch canary)`id`;'"},
        {"~", "'~'"},
    };
    for (const auto& [value, quoted] : rows) {
        EXPECT_EQ(shellQuote(value), quoted) << value;
    }
}

}  // namespace
}  // namespace twl
