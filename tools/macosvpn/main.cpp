// Gives Linux the command line the client uses to (re)create its VPN service:
//   macosvpn create --l2tp NAME --endpoint HOST [--force] --username U
//            --password P --shared-secret K
// over NetworkManager and its L2TP plugin. Runs as root.
#include <iostream>
#include <variant>

#include "create_command.h"

namespace {

void printUsage(std::ostream& out) {
    out << "usage: macosvpn create --l2tp NAME --endpoint HOST [--force]\n"
           "                       [--username USER] [--password PASSWORD]\n"
           "                       [--shared-secret KEY]\n";
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        printUsage(std::cout);
        return 0;
    }
    auto parsed = twl::tools::parseCreateArguments(args);
    if (const auto* usage = std::get_if<twl::tools::UsageError>(&parsed)) {
        std::cerr << "macosvpn: " << usage->message << "\n";
        printUsage(std::cerr);
        return twl::tools::exitUsage;
    }
    return twl::tools::createConnection(std::get<twl::tools::CreateRequest>(std::move(parsed)),
                                        twl::tools::KeyfileFolder::systemConnections(), std::cout,
                                        std::cerr);
}
