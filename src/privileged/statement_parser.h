#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace twl {

// The administrator pair a privileged statement carries.
struct AdministratorCredentials {
    std::string userName;
    std::string password;

    bool operator==(const AdministratorCredentials&) const = default;
};

// One `do shell script` statement, taken apart: the shell command and, for the
// privileged shape, the administrator pair.
struct ShellStatement {
    std::string command;
    std::optional<AdministratorCredentials> administrator;

    bool operator==(const ShellStatement&) const = default;
};

// Either a statement or a description of why the source does not compile.
// The description names the fault and its offset, never the text around it,
// so a password cannot leak through it.
struct StatementParse {
    std::optional<ShellStatement> statement;
    std::string error;
};

// Accepts exactly the two shapes privilegedScript and plainScript build, with
// the string escapes \" \\ \n \t \r; anything else is a compile error. For any
// strings, parsing a built statement gives back exactly those strings.
StatementParse parseStatement(std::string_view source);

}  // namespace twl
