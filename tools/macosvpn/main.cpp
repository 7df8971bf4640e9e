// Gives Linux the command line the client uses to (re)create its VPN service:
//   macosvpn create --l2tp NAME --endpoint HOST [--force] --username U
//            --password-file FILE --shared-secret-file FILE
// over NetworkManager and its L2TP plugin. Runs as root.
#include <sys/prctl.h>

#include <iostream>
#include <variant>

#include "create_command.h"

namespace {

void printUsage(std::ostream& out) {
    out << "usage: macosvpn create --l2tp NAME --endpoint HOST [--force]\n"
           "                       [--username USER]\n"
           "                       [--password-file FILE | --password PASSWORD]\n"
           "                       [--shared-secret-file FILE | --shared-secret KEY]\n";
}

void printHelp(std::ostream& out) {
    printUsage(out);
    out << "\n"
           "Each FILE holds the secret alone (one final line break is dropped), must be a\n"
           "regular file of mode 0600 and at most 4096 bytes, and its owner becomes the\n"
           "only user who may see and start the connection (without files: the user\n"
           "running this command). --password and --shared-secret remain for older\n"
           "callers: a secret on a command line is visible to every local user.\n";
}

}  // namespace

int main(int argc, char** argv) {
#ifndef TIDEWATERLINK_SANITIZED
    // No core dump and no debugger of the caller's while the secrets are held.
    // (Sanitizer builds stay dumpable: the leak check needs it.)
    ::prctl(PR_SET_DUMPABLE, 0);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        printHelp(std::cout);
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
