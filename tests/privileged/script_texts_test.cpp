#include <gtest/gtest.h>

#include <string>

#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "privileged/shell_quote.h"

namespace twl {
namespace {

// The tool's arguments in their order, and the administrator pair as given.
TEST(ScriptTexts, PrivilegedStatementsCarryTheCommandAndThePair) {
    const std::string tool = "/opt/tidewaterlink/share/tidewaterlink/macosvpn";
    EXPECT_EQ(privilegedScript(commands::createService(tool, "vpn.example.net", "alice"), "admin",
                               "adminpw"),
              "do shell script \"sudo " + tool +
                  " create --l2tp Tidewaterlink --endpoint vpn.example.net --force --username alice"
                  " --password-file \\\"${TWL_SECRET_FOLDER:?}\\\"/password --shared-secret-file "
                  "\\\"${TWL_SECRET_FOLDER:?}\\\"/shared-secret\" user name \"admin\" password "
                  "\"adminpw\" with administrator privileges");
    EXPECT_EQ(privilegedScript("true", "", ""),
              R"(do shell script "true" user name "" password "" with administrator privileges)");
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
