#include "privileged/commands.h"

#include "privileged/shell_quote.h"

namespace twl::commands {
namespace {

constexpr std::string_view passwordSecret = "password";
constexpr std::string_view presharedKeySecret = "shared-secret";

}  // namespace

std::string connectService() {
    return "networksetup -connectpppoeservice " + std::string(serviceName);
}

std::string disconnectService() {
    return "networksetup -disconnectpppoeservice " + std::string(serviceName);
}

std::string copyTool(std::string_view toolResourcePath) {
    return "sudo cp " + shellQuote(toolResourcePath) + " " + std::string(installDirectory);
}

std::string removeMarker() {
    return "sudo rm -rf " + std::string(markerFile);
}

std::string createService(std::string_view toolPath, std::string_view server,
                          std::string_view user) {
    std::string command = "sudo ";
    command += shellQuote(toolPath);
    command += " create --l2tp ";
    command += serviceName;
    command += " --endpoint ";
    command += shellQuote(server);
    command += " --force --username ";
    command += shellQuote(user);
    command += " --password-file ";
    command += secretFileReference(passwordSecret);
    command += " --shared-secret-file ";
    command += secretFileReference(presharedKeySecret);
    return command;
}

std::vector<ScriptSecret> createServiceSecrets(std::string_view password) {
    return {ScriptSecret{std::string(passwordSecret), std::string(password)},
            ScriptSecret{std::string(presharedKeySecret), std::string(presharedKey)}};
}

}  // namespace twl::commands
