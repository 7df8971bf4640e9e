#include "privileged/statement_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "privileged/script_runner.h"

namespace twl {
namespace {

using namespace std::string_literals;

// Values that could confuse a parser: the statement's own pieces, every
// escape, raw control bytes, bytes that are not UTF-8.
const std::vector<std::string> awkwardValues = {
    "",
    "\"",
    "ends with a backslash\\",
    "\" user name \"",
    "\" with administrator privileges",
    "line\nbreak\rreturn\ttab",
    "nul\0inside"s,
    "\xff\xfe\x80",
    "$(touch canary) `id`; rm -rf /",
};

TEST(StatementParser, GivesBackExactlyWhatWasBuilt) {
    for (const auto& command : awkwardValues) {
        const auto plain = parseStatement(plainScript(command));
        ASSERT_TRUE(plain.statement) << plain.error;
        EXPECT_EQ(*plain.statement, (ShellStatement{command, std::nullopt}));
        for (const auto& user : awkwardValues) {
            for (const auto& password : {awkwardValues.front(), awkwardValues.back(), user}) {
                const auto privileged = parseStatement(privilegedScript(command, user, password));
                ASSERT_TRUE(privileged.statement) << privileged.error;
                EXPECT_EQ(*privileged.statement,
                          (ShellStatement{command, AdministratorCredentials{user, password}}));
            }
        }
    }
}

TEST(StatementParser, ErrorsNameThePlaceButNotTheText) {
    const auto parsed = parseStatement(
        R"(do shell script "x" user name "admin" password "hunter2\q" with administrator privileges)");
    ASSERT_FALSE(parsed.statement);
    EXPECT_EQ(parsed.error, "unknown escape at offset 55");
    EXPECT_EQ(parsed.error.find("hunter2"), std::string::npos);
}

}  // namespace
}  // namespace twl
