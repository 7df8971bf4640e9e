#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/script_interpreter.h"

namespace twl::commands {

// The network service the client creates, starts and stops.
inline constexpr std::string_view serviceName = "Tidewaterlink";
inline constexpr std::string_view presharedKey = "psk731";
inline constexpr std::string_view installDirectory = "/usr/local";
inline constexpr std::string_view markerFile = "/usr/local/macosvpn.txt";

// Every shell command the client issues. Interpolated values go through
// shellQuote, so ordinary values give the usual texts and no value can run as
// a command.
std::string connectService();     // networksetup -connectpppoeservice Tidewaterlink
std::string disconnectService();  // networksetup -disconnectpppoeservice Tidewaterlink
std::string copyTool(std::string_view toolResourcePath);  // sudo cp PATH /usr/local
std::string removeMarker();                               // sudo rm -rf /usr/local/macosvpn.txt
// sudo TOOL create --l2tp Tidewaterlink --endpoint SERVER --force --username USER
// --password-file FILE --shared-secret-file FILE, the files being those of
// createServiceSecrets: the password and the key never enter the text.
std::string createService(std::string_view toolPath, std::string_view server,
                          std::string_view user);
std::vector<ScriptSecret> createServiceSecrets(std::string_view password);

}  // namespace twl::commands
